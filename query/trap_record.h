// The trap most recently received, as a fixed record of 1161 bytes. Which var-bind
// lands in which slot depends on the trap's kind (see trap_reception.cpp).
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// Trap kinds by trap identifier; 0 for a trap not in the table. The alert is
// the Printer MIB alert; the job kinds follow a job from its start to its end,
// and the other job kind moves no job along but still asks for a status poll.
enum TrapKind : WORD {
  kTrapUnknown = 0,
  kTrapJobStart = 1,
  kTrapJobEnd = 2,
  kTrapAlert = 3,
  kTrapJobParsed = 4,
  kTrapJobProgress = 5,
  kTrapJobOther = 6,
};

#pragma pack(push, 1)
struct SnmpTrapRecord {
  WORD kind;                   // 0
  int32_t alertRowIndex;       // 2: alert var-bind 3
  int32_t alertVarBind4;       // 6
  int32_t alertVarBind5;       // 10
  int32_t alertVarBind8;       // 14
  int32_t alertVarBind7;       // 18
  char alertDescription[256];  // 22: written by the alert-description read
  char sender[32];             // 278: the trap's source address
  int32_t value310;            // 310: kind 1 var-bind 6; kinds 2, 4, 5, 6 var-bind 3
  char text314[256];           // 314: kind 1 var-bind 3; kinds 4, 5 var-bind 4
  char text570[256];           // 570: kind 1 var-bind 4
  char text826[256];           // 826: kind 1 var-bind 5
  int32_t value1082;           // 1082: kind 2 var-bind 4
  int32_t value1086;           // 1086: kind 2 var-bind 5
  char text1090[51];           // 1090: kind 1 var-bind 8
  int32_t value1141;           // 1141: kind 1 var-bind 7
  int32_t value1145;           // 1145: kind 2 var-bind 7
  int32_t value1149;           // 1149: kind 4 var-bind 5; kind 5 var-bind 6
  int32_t value1153;           // 1153: kind 4 var-bind 6; kind 5 var-bind 7
  int32_t value1157;           // 1157: kind 5 var-bind 5
};
#pragma pack(pop)

static_assert(sizeof(SnmpTrapRecord) == 1161);
static_assert(offsetof(SnmpTrapRecord, alertDescription) == 22);
static_assert(offsetof(SnmpTrapRecord, sender) == 278);
static_assert(offsetof(SnmpTrapRecord, value310) == 310);
static_assert(offsetof(SnmpTrapRecord, text314) == 314);
static_assert(offsetof(SnmpTrapRecord, text570) == 570);
static_assert(offsetof(SnmpTrapRecord, text826) == 826);
static_assert(offsetof(SnmpTrapRecord, value1082) == 1082);
static_assert(offsetof(SnmpTrapRecord, text1090) == 1090);
static_assert(offsetof(SnmpTrapRecord, value1141) == 1141);
static_assert(offsetof(SnmpTrapRecord, value1157) == 1157);
