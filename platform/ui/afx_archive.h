// The class library's archive: little-endian values, strings with their
// length prefix and times with their marker, written to or read from a file in
// one piece. Errors are thrown as the library throws them: CFileException when
// the file cannot be opened or written, CArchiveException when the data runs
// short, a string or time is malformed, or the archive is used the wrong way.
//
// A stored archive is written to a temporary file beside its target and renamed
// over it at Close, so a reader sees the old file or the whole new one, never a
// part. An archive over a byte buffer (the controls' page data) appends to the
// buffer when storing and reads from its start when loading.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "platform/base/types.h"

class CArchiveException : public std::exception {
 public:
  enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
  explicit CArchiveException(int cause) : m_cause(cause) {}
  const char* what() const noexcept override { return "archive exception"; }
  int m_cause;
};

class CFileException : public std::exception {
 public:
  enum { none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied };
  CFileException(int cause, DWORD osError) : m_cause(cause), m_lOsError(osError) {}
  const char* what() const noexcept override { return "file exception"; }
  int m_cause;
  DWORD m_lOsError;
};

class CArchive {
 public:
  enum Mode { store = 0, load = 1 };
  // The marker a time is written after: the 64-bit form of the value.
  static constexpr uint32_t kTimeMarker = 0x8000000Au;

  // Loading reads the whole file now (CFileException when it cannot be read).
  CArchive(LPCSTR fileName, Mode mode);
  CArchive(std::vector<unsigned char>* buffer, Mode mode);
  // A stored archive that was not closed is dropped: its target stays as it was.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return mode_ == load; }
  BOOL IsStoring() const { return mode_ == store; }
  // Writes a stored archive to its file (CFileException on failure).
  void Close();
  // Bytes of a loaded archive not yet read: a reader bounds counts with it.
  uint64_t BytesLeft() const { return data_.size() - position_; }

  void Write(const void* data, size_t size);
  // CArchiveException endOfFile when fewer bytes are left.
  void Read(void* data, size_t size);

  CArchive& operator<<(uint8_t v) { return Put(v); }
  CArchive& operator>>(uint8_t& v) { return Get(v); }
  CArchive& operator<<(int32_t v) { return Put(v); }
  CArchive& operator<<(uint32_t v) { return Put(v); }
  CArchive& operator<<(int64_t v) { return Put(v); }
  CArchive& operator<<(uint16_t v) { return Put(v); }
  CArchive& operator>>(int32_t& v) { return Get(v); }
  CArchive& operator>>(uint32_t& v) { return Get(v); }
  CArchive& operator>>(int64_t& v) { return Get(v); }
  CArchive& operator>>(uint16_t& v) { return Get(v); }

  // The text's bytes behind their length: one byte below 255, else 0xFF and a
  // 16-bit length below 0xFFFE, else 0xFF 0xFFFF and a 32-bit length.
  void WriteString(const std::string& text);
  std::string ReadString();
  // The marker and the 64-bit seconds; a reader takes a first 32-bit value
  // other than the marker as a 32-bit time.
  void WriteTime(int64_t seconds);
  int64_t ReadTime();

 private:
  template <class T>
  CArchive& Put(T v) {
    Write(&v, sizeof v);
    return *this;
  }
  template <class T>
  CArchive& Get(T& v) {
    Read(&v, sizeof v);
    return *this;
  }
  std::string fileName_;
  std::vector<unsigned char>* buffer_ = nullptr;  // a buffer archive's bytes
  Mode mode_;
  bool closed_ = false;
  std::vector<unsigned char> data_;
  size_t position_ = 0;
};
