// What the session's two notifications share: receiving one message, and storing
// a received trap into the session's last trap.
#pragma once

#include "query/snmp_session.h"

void ReceiveMessage(SnmpSession* session, bool announcedAsTrap);
void StoreTrap(SnmpSession* session, HSNMP_ENTITY source, HSNMP_PDU pdu);
