#include "tools/lmvrpack/payload_writer.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>

#include "payload/archive_format.h"

namespace lmvrpack {

namespace {

class Deflater {
 public:
  Deflater() {
    // Level 9, 32 KiB window, default memory level and strategy: the stream begins
    // with 0x78 0xDA, and the same zlib gives the same bytes on every machine.
    ok_ = deflateInit2(&stream_, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() { deflateEnd(&stream_); }
  bool ok() const { return ok_; }

  bool Add(const void* data, size_t size, std::vector<uint8_t>* out) { return Run(data, size, Z_NO_FLUSH, out); }
  bool Finish(std::vector<uint8_t>* out) { return Run(nullptr, 0, Z_FINISH, out); }

 private:
  bool Run(const void* data, size_t size, int flush, std::vector<uint8_t>* out) {
    stream_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    stream_.avail_in = (uInt)size;
    for (;;) {
      unsigned char buffer[65536];
      stream_.next_out = buffer;
      stream_.avail_out = sizeof buffer;
      int result = deflate(&stream_, flush);
      if (result == Z_STREAM_ERROR) return false;
      out->insert(out->end(), buffer, buffer + (sizeof buffer - stream_.avail_out));
      if (flush == Z_FINISH) {
        if (result == Z_STREAM_END) return true;
      } else if (stream_.avail_in == 0 && stream_.avail_out != 0) {
        return true;
      }
    }
  }

  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace

bool BuildPayload(const std::vector<ProductFile>& files, Payload* payload, std::string* error) {
  payload->fileCount = (uint16_t)files.size();
  payload->archiveTotal = 0;
  for (const ProductFile& file : files) {
    if (files.size() > kArchiveMaxEntries ||
        AddEntryToArchiveTotal(&payload->archiveTotal, file.entryName.size() + 1, (uint32_t)file.size) != 0) {
      *error = "the product does not fit one archive";
      return false;
    }
  }

  Deflater deflater;
  if (!deflater.ok()) {
    *error = "zlib could not start compressing";
    return false;
  }
  std::vector<uint8_t>& out = payload->bytes;
  out.assign(kPayloadLengthFieldSize, 0);
  unsigned char header[kArchiveHeaderSize];
  EncodeArchiveHeader(header, payload->fileCount, payload->archiveTotal);
  deflater.Add(header, sizeof header, &out);
  payload->archiveSize = sizeof header;

  std::vector<char> buffer(1 << 16);
  for (const ProductFile& file : files) {
    unsigned char entry[1 + kEntryNameBufferSize + kDataLengthFieldSize];
    size_t entrySize = EncodeEntryHeader(entry, sizeof entry, file.entryName.c_str(), (uint32_t)file.size);
    if (entrySize == 0) {
      *error = file.source.string() + ": the entry name \"" + file.entryName + "\" cannot be stored";
      return false;
    }
    deflater.Add(entry, entrySize, &out);
    std::ifstream in(file.source, std::ios::binary);
    if (!in) {
      *error = file.source.string() + ": cannot be opened";
      return false;
    }
    uint64_t left = file.size;
    while (left > 0) {
      size_t piece = left < buffer.size() ? (size_t)left : buffer.size();
      in.read(buffer.data(), (std::streamsize)piece);
      if ((size_t)in.gcount() != piece) break;
      deflater.Add(buffer.data(), piece, &out);
      left -= piece;
    }
    if (left != 0 || in.peek() != std::char_traits<char>::eof()) {
      *error = file.source.string() + ": changed size while it was being packed";
      return false;
    }
    payload->archiveSize += entrySize + file.size;
  }
  if (!deflater.Finish(&out)) {
    *error = "zlib could not finish the stream";
    return false;
  }
  WriteLittleEndian32(out.data(), (uint32_t)(out.size() - kPayloadLengthFieldSize));
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      *error = path + ": cannot be written";
      return false;
    }
  }
  std::error_code renameError;
  std::filesystem::rename(temporary, path, renameError);
  if (renameError) {
    std::remove(temporary.c_str());
    *error = path + ": cannot be written: " + renameError.message();
    return false;
  }
  return true;
}

namespace {

std::string EscapeForDependencies(const std::string& path) {
  std::string escaped;
  for (char c : path) {
    if (c == ' ' || c == '#') escaped += '\\';
    if (c == '$') escaped += '$';
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::string DependencyText(const std::string& target, const ProductScan& scan, const std::vector<std::string>& inputs) {
  std::string text = EscapeForDependencies(target) + ":";
  for (const std::string& input : inputs) {
    text += " \\\n  " + EscapeForDependencies(std::filesystem::absolute(input).string());
  }
  for (const std::filesystem::path& directory : scan.directories) {
    text += " \\\n  " + EscapeForDependencies(std::filesystem::absolute(directory).string());
  }
  for (const ProductFile& file : scan.files) {
    text += " \\\n  " + EscapeForDependencies(std::filesystem::absolute(file.source).string());
  }
  return text + "\n";
}

}  // namespace lmvrpack
