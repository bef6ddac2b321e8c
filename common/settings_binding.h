// The settings functions a deliverable has bound from zeldb5.dll. Calls go through
// these members: a function that could not be bound (library or export missing)
// answers the error of the failed load instead of calling nothing.
#pragma once

#include "common/settings_store.h"
#include "platform/base/errors.h"

struct SettingsFunctions {
  PFN_DBGetData getData = nullptr;
  PFN_DBSetData setData = nullptr;
  PFN_DBGetString getString = nullptr;
  PFN_DBSetString setString = nullptr;
  PFN_DBGetDword getDword = nullptr;
  PFN_DBSetDword setDword = nullptr;
  PFN_DBGetInt getInt = nullptr;
  PFN_DBGetShort getShort = nullptr;
  PFN_DBGetPath getPath = nullptr;
  PFN_DBEnumOpen enumOpen = nullptr;
  PFN_DBEnumNext enumNext = nullptr;
  PFN_DBEnumReset enumReset = nullptr;
  PFN_DBEnumClose enumClose = nullptr;
  PFN_DBDeleteData deleteData = nullptr;
  PFN_DBDeleteSection deleteSection = nullptr;
  PFN_DBSetupFolders setupFolders = nullptr;
  // What a call answers when its function is missing: the error of the load.
  DWORD loadError = ERROR_MOD_NOT_FOUND;

  DWORD GetData(HANDLE p, int32_t kind, const char* s, const char* k, BYTE* b, DWORD* n) const {
    return getData ? getData(p, kind, s, k, b, n) : loadError;
  }
  DWORD SetData(HANDLE p, int32_t kind, const char* s, const char* k, const BYTE* d, DWORD n) const {
    return setData ? setData(p, kind, s, k, d, n) : loadError;
  }
  DWORD GetString(HANDLE p, int32_t kind, const char* s, const char* k, char* b, DWORD* n) const {
    return getString ? getString(p, kind, s, k, b, n) : loadError;
  }
  DWORD SetString(HANDLE p, int32_t kind, const char* s, const char* k, const char* t) const {
    return setString ? setString(p, kind, s, k, t) : loadError;
  }
  DWORD GetDword(HANDLE p, int32_t kind, const char* s, const char* k, DWORD* v) const {
    return getDword ? getDword(p, kind, s, k, v) : loadError;
  }
  DWORD SetDword(HANDLE p, int32_t kind, const char* s, const char* k, DWORD v) const {
    return setDword ? setDword(p, kind, s, k, v) : loadError;
  }
  DWORD GetInt(HANDLE p, int32_t kind, const char* s, const char* k, int32_t* v) const {
    return getInt ? getInt(p, kind, s, k, v) : loadError;
  }
  DWORD GetShort(HANDLE p, int32_t kind, const char* s, const char* k, int16_t* v) const {
    return getShort ? getShort(p, kind, s, k, v) : loadError;
  }
  DWORD GetPath(int32_t selector, char* b, DWORD n) const { return getPath ? getPath(selector, b, n) : loadError; }
  DWORD EnumOpen(HANDLE p, int32_t kind, const char* s, DBENUM** e) const {
    if (!enumOpen) {
      if (e) *e = nullptr;
      return loadError;
    }
    return enumOpen(p, kind, s, e);
  }
  DWORD EnumNext(DBENUM* e, char* b, DWORD* n) const { return enumNext ? enumNext(e, b, n) : loadError; }
  DWORD EnumReset(DBENUM* e) const { return enumReset ? enumReset(e) : loadError; }
  DWORD EnumClose(DBENUM* e) const { return enumClose ? enumClose(e) : loadError; }
  DWORD DeleteData(HANDLE p, int32_t kind, const char* s, const char* k) const {
    return deleteData ? deleteData(p, kind, s, k) : loadError;
  }
  DWORD DeleteSection(HANDLE p, int32_t kind, const char* s) const {
    return deleteSection ? deleteSection(p, kind, s) : loadError;
  }
  DWORD SetupFolders() const { return setupFolders ? setupFolders() : loadError; }
};
