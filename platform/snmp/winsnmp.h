// WinSNMP, as the printer query library calls it: SNMP version 1 over UDP with
// handles for sessions, entities (agent addresses), contexts (communities), PDUs
// and variable-binding lists, and descriptors (OIDs, octets) that the caller frees.
//
// Behaviour of this stand-in:
// - An entity is an IPv4 address in dotted form, optionally followed by ":port"
//   (161 when none is given): "192.168.0.9", "127.0.0.1:16161". Anything else
//   ("", "ERROR", "none", names) is refused with SNMPAPI_ENTITY_UNKNOWN. Every
//   translate mode reads entity and context texts this way.
// - Requests go out as one SNMPv1 datagram each, with no retransmission: the
//   caller keeps its own time-out. A response that comes back to a session's
//   socket from the address and port a request with its id went to is queued
//   for SnmpRecvMsg (once) and announced by posting the session's notification
//   message to its window; any other is dropped.
// - Traps: while any session is registered (SnmpRegister on), the process takes
//   part in the machine's trap port: ZEL_SNMP_TRAP_ADDRESS ("a.b.c.d:port") in
//   the environment, else 0.0.0.0:162. The first registered process of the
//   machine root listens on it and hands every trap to the others; when it ends,
//   another takes over (trap_relay.h). SnmpRegister fails when this process has
//   to listen and cannot: SNMPAPI_TL_IN_USE when another program holds the port,
//   else SNMPAPI_TL_RESOURCE_ERROR. Every registered session receives every
//   trap (the entities and context given at registration are not used as
//   filters). A version 1 trap
//   is given in version 2 form: var-bind 1 sysUpTime.0 (TimeTicks), var-bind 2
//   snmpTrapOID.0 (for an enterprise-specific trap the enterprise, 0 and the
//   specific number; for generic trap g 1.3.6.1.6.3.1.1.5.(g+1)), then the
//   trap's own var-binds; version 2c traps come as they are. The source entity
//   of a received message is its sender's address; SnmpEntityToStr gives it
//   without the port.
// - Messages are encoded and decoded with net-snmp's codec.
#pragma once

#include "platform/base/types.h"

typedef uint32_t HSNMP_SESSION;
typedef uint32_t HSNMP_ENTITY;
typedef uint32_t HSNMP_CONTEXT;
typedef uint32_t HSNMP_PDU;
typedef uint32_t HSNMP_VBL;
typedef HSNMP_SESSION* LPHSNMP_SESSION;
typedef HSNMP_ENTITY* LPHSNMP_ENTITY;
typedef HSNMP_CONTEXT* LPHSNMP_CONTEXT;
typedef HSNMP_PDU* LPHSNMP_PDU;
typedef HSNMP_VBL* LPHSNMP_VBL;

typedef uint32_t SNMPAPI_STATUS;
typedef int32_t smiINT;
typedef int32_t smiINT32;
typedef uint32_t smiUINT32;
typedef uint8_t smiBYTE;
typedef smiINT* smiLPINT;
typedef smiUINT32* smiLPUINT32;
typedef smiBYTE* smiLPBYTE;

typedef struct {
  smiUINT32 len;
  smiLPBYTE ptr;
} smiOCTETS, *smiLPOCTETS;
typedef const smiOCTETS* smiLPCOCTETS;

typedef struct {
  smiUINT32 len;
  smiLPUINT32 ptr;
} smiOID, *smiLPOID;
typedef const smiOID* smiLPCOID;

typedef struct {
  smiUINT32 hipart;
  smiUINT32 lopart;
} smiCNTR64;

typedef struct {
  smiUINT32 syntax;
  union {
    smiINT sNumber;
    smiUINT32 uNumber;
    smiCNTR64 hNumber;
    smiOCTETS string;
    smiOID oid;
    smiBYTE empty;
  } value;
} smiVALUE, *smiLPVALUE;
typedef const smiVALUE* smiLPCVALUE;

// A descriptor of either kind, for SnmpFreeDescriptor.
typedef smiOCTETS smiOPAQUE;
typedef smiOPAQUE* smiLPOPAQUE;

#define SNMPAPI_FAILURE 0u
#define SNMPAPI_SUCCESS 1u

// Translate modes.
#define SNMPAPI_TRANSLATED 0u
#define SNMPAPI_UNTRANSLATED_V1 1u
#define SNMPAPI_UNTRANSLATED_V2 2u
#define SNMPAPI_OFF 0u
#define SNMPAPI_ON 1u

// Syntaxes.
#define SNMP_SYNTAX_INT 0x02u
#define SNMP_SYNTAX_INT32 SNMP_SYNTAX_INT
#define SNMP_SYNTAX_OCTETS 0x04u
#define SNMP_SYNTAX_NULL 0x05u
#define SNMP_SYNTAX_OID 0x06u
#define SNMP_SYNTAX_IPADDR 0x40u
#define SNMP_SYNTAX_CNTR32 0x41u
#define SNMP_SYNTAX_GAUGE32 0x42u
#define SNMP_SYNTAX_TIMETICKS 0x43u
#define SNMP_SYNTAX_OPAQUE 0x44u
#define SNMP_SYNTAX_CNTR64 0x46u
#define SNMP_SYNTAX_UINT32 0x47u
#define SNMP_SYNTAX_NOSUCHOBJECT 0x80u
#define SNMP_SYNTAX_NOSUCHINSTANCE 0x81u
#define SNMP_SYNTAX_ENDOFMIBVIEW 0x82u

// PDU types.
#define SNMP_PDU_GET 0xA0u
#define SNMP_PDU_GETNEXT 0xA1u
#define SNMP_PDU_RESPONSE 0xA2u
#define SNMP_PDU_SET 0xA3u
#define SNMP_PDU_V1TRAP 0xA4u
#define SNMP_PDU_TRAP 0xA7u

// SNMP error status of a response.
#define SNMP_ERROR_NOERROR 0
#define SNMP_ERROR_TOOBIG 1
#define SNMP_ERROR_NOSUCHNAME 2
#define SNMP_ERROR_BADVALUE 3
#define SNMP_ERROR_READONLY 4
#define SNMP_ERROR_GENERR 5

// SnmpGetLastError numbers.
#define SNMPAPI_ALLOC_ERROR 2u
#define SNMPAPI_CONTEXT_INVALID 3u
#define SNMPAPI_CONTEXT_UNKNOWN 4u
#define SNMPAPI_ENTITY_INVALID 5u
#define SNMPAPI_ENTITY_UNKNOWN 6u
#define SNMPAPI_INDEX_INVALID 7u
#define SNMPAPI_NOOP 8u
#define SNMPAPI_OID_INVALID 9u
#define SNMPAPI_OPERATION_INVALID 10u
#define SNMPAPI_OUTPUT_TRUNCATED 11u
#define SNMPAPI_PDU_INVALID 12u
#define SNMPAPI_SESSION_INVALID 13u
#define SNMPAPI_SYNTAX_INVALID 14u
#define SNMPAPI_VBL_INVALID 15u
#define SNMPAPI_MODE_INVALID 16u
#define SNMPAPI_SIZE_INVALID 17u
#define SNMPAPI_NOT_INITIALIZED 18u
#define SNMPAPI_MESSAGE_INVALID 19u
#define SNMPAPI_HWND_INVALID 20u
#define SNMPAPI_OTHER_ERROR 99u
#define SNMPAPI_TL_NOT_INITIALIZED 100u
#define SNMPAPI_TL_NOT_AVAILABLE 102u
#define SNMPAPI_TL_RESOURCE_ERROR 103u
#define SNMPAPI_TL_UNDELIVERABLE 104u
#define SNMPAPI_TL_IN_USE 107u
#define SNMPAPI_TL_TIMEOUT 108u
#define SNMPAPI_TL_PDU_TOO_BIG 109u
#define SNMPAPI_TL_OTHER 199u

#define MAXOBJIDSIZE 128u
#define MAXOBJIDSTRSIZE 1408u

// Start-ups are counted; each SnmpCleanup ends one and the last closes every
// session. The default translate mode is SNMPAPI_TRANSLATED.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpStartup(smiLPUINT32 majorVersion, smiLPUINT32 minorVersion, smiLPUINT32 level,
                                        smiLPUINT32 translateMode, smiLPUINT32 retransmitMode);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpCleanup(void);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpSetTranslateMode(smiUINT32 mode);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpGetTranslateMode(smiLPUINT32 mode);
// The session's notification message is posted to window for every message that
// arrives for it (wParam: the session, lParam: 0).
ZEL_EXTERN_C HSNMP_SESSION SnmpOpen(HWND window, UINT message);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpClose(HSNMP_SESSION session);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpSendMsg(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                                        HSNMP_CONTEXT context, HSNMP_PDU pdu);
// Takes the oldest message queued for the session; every output is a new handle
// that the caller frees. SNMPAPI_NOOP when nothing is queued.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpRecvMsg(HSNMP_SESSION session, LPHSNMP_ENTITY source, LPHSNMP_ENTITY destination,
                                        LPHSNMP_CONTEXT context, LPHSNMP_PDU pdu);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpRegister(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                                         HSNMP_CONTEXT context, smiLPCOID notification, smiUINT32 state);

ZEL_EXTERN_C HSNMP_ENTITY SnmpStrToEntity(HSNMP_SESSION session, LPCSTR text);
// Writes the text cut to size (terminated); answers the bytes written with the NUL.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpEntityToStr(HSNMP_ENTITY entity, smiUINT32 size, LPSTR text);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpFreeEntity(HSNMP_ENTITY entity);
ZEL_EXTERN_C HSNMP_CONTEXT SnmpStrToContext(HSNMP_SESSION session, smiLPCOCTETS community);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpFreeContext(HSNMP_CONTEXT context);

// The list is copied into the PDU.
ZEL_EXTERN_C HSNMP_PDU SnmpCreatePdu(HSNMP_SESSION session, smiINT type, smiINT32 requestId, smiINT errorStatus,
                                     smiINT errorIndex, HSNMP_VBL list);
// Null outputs are skipped; the list comes as a new handle that the caller frees.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpGetPduData(HSNMP_PDU pdu, smiLPINT type, smiINT32* requestId, smiLPINT errorStatus,
                                           smiLPINT errorIndex, LPHSNMP_VBL list);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpFreePdu(HSNMP_PDU pdu);
// A list of one binding (name and value; a null value is NULL), or an empty list
// when the name is null.
ZEL_EXTERN_C HSNMP_VBL SnmpCreateVbl(HSNMP_SESSION session, smiLPCOID name, smiLPCVALUE value);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpFreeVbl(HSNMP_VBL list);
// The number of bindings (0 is a failure with SNMPAPI_NOOP set, as for an empty list).
ZEL_EXTERN_C SNMPAPI_STATUS SnmpCountVbl(HSNMP_VBL list);
// Binding index (from 1): name and value as new descriptors that the caller frees.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpGetVb(HSNMP_VBL list, smiUINT32 index, smiLPOID name, smiLPVALUE value);

ZEL_EXTERN_C SNMPAPI_STATUS SnmpFreeDescriptor(smiUINT32 syntax, smiLPOPAQUE descriptor);
// Dotted decimal ("1.3.6.1.2.1.1.3.0", a leading "." allowed) into a new OID;
// answers the number of sub-identifiers.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpStrToOid(LPCSTR text, smiLPOID oid);
// Answers the bytes written with the NUL; SNMPAPI_OUTPUT_TRUNCATED when it does not fit.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpOidToStr(smiLPCOID oid, smiUINT32 size, LPSTR text);
ZEL_EXTERN_C SNMPAPI_STATUS SnmpOidCopy(smiLPCOID source, smiLPOID destination);
// Compares at most maxLength sub-identifiers (0: all); result -1, 0 or 1.
ZEL_EXTERN_C SNMPAPI_STATUS SnmpOidCompare(smiLPCOID first, smiLPCOID second, smiUINT32 maxLength, smiLPINT result);
// The last error of the calling thread (the session argument is not used).
ZEL_EXTERN_C SNMPAPI_STATUS SnmpGetLastError(HSNMP_SESSION session);
