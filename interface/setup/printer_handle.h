// A printer opened for the set-up and the printer events: closed when it goes out
// of scope, so that no path out of a set-up leaves a handle behind.
#pragma once

#include <string>

#include "platform/base/types.h"

class ScopedPrinter {
 public:
  ScopedPrinter() = default;
  ~ScopedPrinter() { Close(); }
  ScopedPrinter(const ScopedPrinter&) = delete;
  ScopedPrinter& operator=(const ScopedPrinter&) = delete;

  // Opens the printer by its wide name (no conversion can lose a character of
  // it), with the access asked for; access 0 opens it with no defaults at all.
  bool Open(const std::u16string& name, DWORD access);
  // The printer's own name (PRINTER_INFO_4), which may differ from the name it
  // was opened by.
  bool ReadName(std::u16string& name) const;
  void Close();

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};
