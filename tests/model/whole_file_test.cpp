// A model file is whole only once written to its end: every real document
// and archive is, and none of them cut short anywhere is.

#include "model/whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(WholeFile, RealModelsAreWholeAndNoneCutShortIs) {
  std::error_code error;
  int models = 0;
  const fs::path cut = fs::temp_directory_path() / ("whole-file-" + std::to_string(getpid()));
  for (fs::recursive_directory_iterator it(CORPUS_DIR, error), end; !error && it != end; it.increment(error)) {
    std::string extension = it->path().extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!it->is_regular_file() || (extension != ".mqo" && extension != ".mqoz")) continue;
    SCOPED_TRACE(it->path().string());
    ++models;
    EXPECT_TRUE(ModelFileWhole(it->path().c_str()));
    std::ifstream in(it->path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Cut at a seventh of the way, and just before the last line or record.
    for (size_t length : {bytes.size() / 7, bytes.size() / 2, bytes.size() - 7}) {
      const fs::path name = cut.string() + extension;
      std::ofstream(name, std::ios::binary).write(bytes.data(), length);
      EXPECT_FALSE(ModelFileWhole(name.c_str())) << length;
      fs::remove(name);
    }
  }
  if (models == 0) GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
}

}  // namespace
