// node validate_gltf.js VALIDATOR_MODULE FILE...: runs Khronos' glTF
// validator on each file (a .glb, or a .gltf with the files it names beside
// it) and prints one line each: errors, warnings, path, and the codes of
// the errors. Exits 1 when any file has an error.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.resolve(process.argv[2]));

async function validate(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    externalResourceFunction: (uri) =>
      fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))).then((b) => new Uint8Array(b)),
  });
  const errors = report.issues.messages.filter((m) => m.severity === 0).map((m) => `${m.code} at ${m.pointer}`);
  console.log(`${report.issues.numErrors} ${report.issues.numWarnings} ${file} ${errors.slice(0, 5).join(', ')}`);
  return report.issues.numErrors;
}

(async () => {
  let failed = 0;
  for (const file of process.argv.slice(3)) {
    try {
      if ((await validate(file)) > 0) failed++;
    } catch (error) {
      console.log(`? ? ${file} not validated: ${error}`);
      failed++;
    }
  }
  process.exit(failed > 0 ? 1 : 0);
})();
