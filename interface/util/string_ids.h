// Numbers of the library's strings (the string tables of zeluid5.zrc).
#pragma once

enum LibraryStringId : unsigned {
  IDS_OUT_OF_MEMORY = 160,  // "メモリ外": the value error text of error 8
  IDS_ERROR_CODE = 161,     // "エラーコード %d": the value error text of every other error
  IDS_ERROR_CAPTION = 192,  // "エラー"
};
