// Numbers of the library's strings (the string tables of zeluid5.zrc).
#pragma once

enum LibraryStringId : unsigned {
  IDS_NONE_ENTRY = 14,               // "[なし]": the list entry for no macro (no watermark, ...)
  IDS_FORM_SOURCE_BIN = 30,          // "ﾄﾗｸﾀ": the first bin name, the source chosen by the form
  IDS_PDL_POSTSCRIPT = 80,           // "PostScript"
  IDS_PDL_PCL5E = 81,                // "PCL5e"
  IDS_WATERMARK_CONFIDENTIAL = 144,  // "社外秘": the first default watermark
  IDS_WATERMARK_COPY = 145,          // "コピー"
  IDS_WATERMARK_DRAFT = 146,         // "ドラフト"
  IDS_MACRO_PC_DISK = 148,           // "PC上のディスク": macro locations in the macro list
  IDS_MACRO_PC_DISK_MEMORY = 149,
  IDS_MACRO_PRINTER_DISK = 150,
  IDS_MACRO_PRINTER_DISK_MEMORY = 151,
  IDS_MACRO_PRINTER_DISK_RESIDENT = 152,
  IDS_OUT_OF_MEMORY = 160,          // "メモリ外": the value error text of error 8
  IDS_ERROR_CODE = 161,             // "エラーコード %d": the value error text of every other error
  IDS_ERROR_CAPTION = 192,          // "エラー"
  IDS_MONITOR_NOT_STARTED = 193,    // the status monitor could not be started
  IDS_BANNER_TITLE = 405,           // the banner page's title line
  IDS_BUILT_IN_PROFILE = 426,       // "標準": the built-in settings profile
  IDS_MACRO_FOLDER_RESERVED = 432,  // the macro-file dialog refuses the driver's own folder
  IDS_MACRO_FILE_TITLE = 433,       // the macro-file dialog's title
  IDS_BANNER_SUBMITTED = 453,       // "Submission Time: %s"
  IDS_BANNER_ACCOUNT = 469,         // "User/Project: %s"
  IDS_BANNER_NOTE = 470,            // "Note: %s"
  IDS_BANNER_DOCUMENT = 471,        // "Document: %s"
};
