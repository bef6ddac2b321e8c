#include "platform/ui/afx_archive.h"

#include <cstring>

#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/sync.h"

namespace {

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

CArchive::CArchive(LPCSTR fileName, Mode mode) : fileName_(fileName ? fileName : ""), mode_(mode) {
  if (mode_ != load) return;
  const HANDLE file = CreateFileA(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE)
    throw CFileException(CFileException::fileNotFound, LastErrorOr(ERROR_FILE_NOT_FOUND));
  const DWORD size = GetFileSize(file, nullptr);
  data_.resize(size == INVALID_FILE_SIZE ? 0 : size);
  DWORD read = 0;
  const BOOL ok = data_.empty() || ReadFile(file, data_.data(), static_cast<DWORD>(data_.size()), &read, nullptr);
  CloseHandle(file);
  if (!ok) throw CFileException(CFileException::genericException, LastErrorOr(ERROR_READ_FAULT));
  data_.resize(read);
}

CArchive::CArchive(std::vector<unsigned char>* buffer, Mode mode) : buffer_(buffer), mode_(mode) {
  if (mode_ == load && buffer_) data_ = *buffer_;
}

CArchive::~CArchive() = default;

void CArchive::Close() {
  if (mode_ != store || closed_ || buffer_) return;
  closed_ = true;
  const std::string temporary = fileName_ + ".new";
  const HANDLE file =
      CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) throw CFileException(CFileException::badPath, LastErrorOr(ERROR_PATH_NOT_FOUND));
  DWORD written = 0;
  const BOOL ok =
      (data_.empty() || WriteFile(file, data_.data(), static_cast<DWORD>(data_.size()), &written, nullptr)) &&
      FlushFileBuffers(file);
  CloseHandle(file);
  if (!ok || written != data_.size() || !MoveFileExA(temporary.c_str(), fileName_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
    DeleteFileA(temporary.c_str());
    throw CFileException(CFileException::genericException, error);
  }
}

void CArchive::Write(const void* data, size_t size) {
  if (mode_ != store) throw CArchiveException(CArchiveException::readOnly);
  const auto* bytes = static_cast<const unsigned char*>(data);
  auto& target = buffer_ ? *buffer_ : data_;
  target.insert(target.end(), bytes, bytes + size);
}

void CArchive::Read(void* data, size_t size) {
  if (mode_ != load) throw CArchiveException(CArchiveException::writeOnly);
  if (size > BytesLeft()) throw CArchiveException(CArchiveException::endOfFile);
  if (size) std::memcpy(data, data_.data() + position_, size);
  position_ += size;
}

void CArchive::WriteString(const std::string& text) {
  const uint64_t length = text.size();
  if (length < 0xFF) {
    const unsigned char size = static_cast<unsigned char>(length);
    Write(&size, 1);
  } else if (length < 0xFFFE) {
    const unsigned char tag = 0xFF;
    Write(&tag, 1);
    *this << static_cast<uint16_t>(length);
  } else if (length < 0xFFFFFFFFull) {
    const unsigned char tag = 0xFF;
    Write(&tag, 1);
    *this << static_cast<uint16_t>(0xFFFF) << static_cast<uint32_t>(length);
  } else {
    const unsigned char tag = 0xFF;
    Write(&tag, 1);
    *this << static_cast<uint16_t>(0xFFFF) << static_cast<uint32_t>(0xFFFFFFFFu) << static_cast<int64_t>(length);
  }
  Write(text.data(), text.size());
}

std::string CArchive::ReadString() {
  unsigned char first = 0;
  Read(&first, 1);
  uint64_t length = first;
  if (first == 0xFF) {
    uint16_t word = 0;
    *this >> word;
    length = word;
    // 0xFFFE tags a wide string, which this program never writes.
    if (word == 0xFFFE) throw CArchiveException(CArchiveException::genericException);
    if (word == 0xFFFF) {
      uint32_t dword = 0;
      *this >> dword;
      length = dword;
      if (dword == 0xFFFFFFFFu) {
        int64_t quad = 0;
        *this >> quad;
        length = static_cast<uint64_t>(quad);
      }
    }
  }
  if (length > BytesLeft()) throw CArchiveException(CArchiveException::endOfFile);
  std::string text(static_cast<size_t>(length), '\0');
  Read(text.data(), text.size());
  return text;
}

void CArchive::WriteTime(int64_t seconds) { *this << kTimeMarker << seconds; }

int64_t CArchive::ReadTime() {
  uint32_t first = 0;
  *this >> first;
  if (first != kTimeMarker) return static_cast<int32_t>(first);
  int64_t seconds = 0;
  *this >> seconds;
  return seconds;
}
