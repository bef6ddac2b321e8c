// The device configuration walks shared by SnmpQueryB 7 and SnmpQueryA 79.
#pragma once

#include "query/query_ids.h"

// Input trays (and, with withTrayDetails, each tray's media code and current
// level), then the finisher devices, on the session's current exchange. Answers
// 1, or the first error other than noSuchName.
int ReadTraysAndFinishers(SnmpSession* session, ConfigurationRecord* record, bool withTrayDetails);
// Output bins, then private options.
int ReadBinsAndOptions(SnmpSession* session, ConfigurationRecord* record);
