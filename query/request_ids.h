// Request ids. Each request names its kind by the low byte of its id (6 GET and
// GETNEXT, 8 SET and clearing a trap-host row, 33 the on/off GET of a logical
// printer, 66 registering a trap-host row, 99 the trap receive slot); the bits
// above count the requests of the process, so that no two requests in flight or
// recently timed out share an id and a late reply is never taken for another
// request's answer.
#pragma once

#include "platform/snmp/winsnmp.h"

enum RequestKind : smiINT32 {
  kRequestGet = 6,
  kRequestSet = 8,
  kRequestOnOffGet = 33,
  kRequestTrapHostSet = 66,
  kRequestTrapSlot = 99,
};

smiINT32 NextRequestId(RequestKind kind);
