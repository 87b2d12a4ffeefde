#include "convert/gltf_files.h"

#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include <nlohmann/json.hpp>

namespace {

std::string Folder(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string Stem(const std::string& output) {
  std::string name = BaseName(output);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".gltf") == 0) name.resize(name.size() - 5);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  return name;
}

std::string PictureName(const std::string& stem, const ScenePicture& picture, size_t index) {
  return stem + "-" + std::to_string(index) + (picture.png ? ".png" : ".jpg");
}

std::string ErrnoText(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// The permissions a new file gets here: 0666 less the umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A temporary folder in the output's folder, removed with what is left in
// it however the writing ends.
struct TemporaryFolder {
  std::string path;
  ~TemporaryFolder() {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

bool WriteBinary(GltfScene& scene, const std::string& output, std::string& reason) {
  tinygltf::Model& model = scene.model;
  for (size_t i = 0; i < scene.pictures.size(); ++i) {
    std::vector<unsigned char>& bytes = scene.pictures[i].bytes;
    model.images[i].bufferView = AddBufferView(model, bytes.data(), bytes.size(), 0);
    std::vector<unsigned char>().swap(bytes);
  }
  if (model.buffers[0].data.empty()) model.buffers.clear();  // glTF has no buffer of no bytes
  std::string temporary = Folder(output) + "/." + BaseName(output) + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    reason = ErrnoText("cannot create a file in the output's folder:", Folder(output));
    return false;
  }
  bool written = fchmod(fd, NewFileMode()) == 0;
  {
    __gnu_cxx::stdio_filebuf<char> file(fd, std::ios::out | std::ios::binary);
    std::ostream stream(&file);
    tinygltf::TinyGLTF writer;
    written = written && writer.WriteGltfSceneToStream(&model, stream, false, true);
    stream.flush();
    written = written && stream.good() && fsync(fd) == 0;
    if (!written) reason = ErrnoText("cannot write", output);
    written = file.close() != nullptr && written;
  }
  if (written && std::rename(temporary.c_str(), output.c_str()) != 0) {
    reason = ErrnoText("cannot write", output);
    written = false;
  }
  if (!written) {
    if (reason.empty()) reason = ErrnoText("cannot write", output);
    std::remove(temporary.c_str());
  }
  return written;
}

// Writes picture N of the scene where tinygltf asks for image N's file.
bool WritePicture(const std::string* folder, const std::string* name, const tinygltf::Image* image, bool,
                  std::string* uri, void* user) {
  GltfScene& scene = *static_cast<GltfScene*>(user);
  const size_t index = image - scene.model.images.data();
  const std::vector<unsigned char>& bytes = scene.pictures[index].bytes;
  std::ofstream file(*folder + "/" + *name, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  *uri = *name;
  return !file.fail();
}

bool WriteText(GltfScene& scene, const std::string& output, std::string& reason) {
  tinygltf::Model& model = scene.model;
  const std::vector<std::string> names = GltfFileNames(scene, output, GltfFormat::kText);
  const std::string stem = Stem(output);
  if (model.buffers[0].data.empty())
    model.buffers.clear();  // glTF has no buffer of no bytes
  else
    model.buffers[0].uri = stem + ".bin";
  for (size_t i = 0; i < scene.pictures.size(); ++i) model.images[i].uri = BaseName(names[i + 2]);

  TemporaryFolder temporary;
  std::string folder = Folder(output) + "/." + BaseName(output) + ".XXXXXX";
  if (!mkdtemp(folder.data())) {
    reason = ErrnoText("cannot create a folder in the output's folder:", Folder(output));
    return false;
  }
  temporary.path = folder;
  tinygltf::TinyGLTF writer;
  writer.SetImageWriter(WritePicture, &scene);
  const std::string gltf = folder + "/" + stem + ".gltf";
  // tinygltf does not check its own writes: the buffer's size and the
  // JSON's syntax tell whether they were whole.
  bool written = writer.WriteGltfSceneToFile(&model, gltf, false, false, true, false);
  std::error_code error;
  for (const tinygltf::Buffer& buffer : model.buffers)
    written = written && std::filesystem::file_size(folder + "/" + buffer.uri, error) == buffer.data.size() && !error;
  std::ifstream check(gltf);
  written = written && check && nlohmann::json::accept(check);
  if (!written) {
    reason = "cannot write " + output + ": a file came out short (is the disk full?)";
    return false;
  }
  // The pictures and the buffer first, so that the .gltf never names a file
  // that is not there yet.
  std::vector<std::string> from;
  for (size_t i = 0; i < scene.pictures.size(); ++i) from.push_back(folder + "/" + model.images[i].uri);
  std::vector<std::string> to(names.begin() + 2, names.end());
  if (!model.buffers.empty()) {
    from.push_back(folder + "/" + model.buffers[0].uri);
    to.push_back(names[1]);
  }
  from.push_back(gltf);
  to.push_back(names[0]);
  for (size_t i = 0; i < from.size(); ++i) {
    if (chmod(from[i].c_str(), NewFileMode()) != 0 || std::rename(from[i].c_str(), to[i].c_str()) != 0) {
      reason = ErrnoText("cannot write", to[i]);
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> GltfFileNames(const GltfScene& scene, const std::string& output, GltfFormat format) {
  std::vector<std::string> names{output};
  if (format == GltfFormat::kBinary) return names;
  const std::string folder = Folder(output) + "/", stem = Stem(output);
  names.push_back(folder + stem + ".bin");
  for (size_t i = 0; i < scene.pictures.size(); ++i) names.push_back(folder + PictureName(stem, scene.pictures[i], i));
  return names;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool WriteGltfFiles(GltfScene& scene, const std::string& output, GltfFormat format, std::string& reason) {
  return format == GltfFormat::kBinary ? WriteBinary(scene, output, reason) : WriteText(scene, output, reason);
}
