/* WTclient.dll: OPC Alarms & Events client library (ours: an OPC AE client
 * over COM, with an in-process simulator as a test mode).
 * Plain C header, shared by the library and by the control's loader, which
 * resolves the exports with GetProcAddress through the PFN_ types below.
 * Every export is __stdcall and exported undecorated.
 *
 * One source for both word sizes. The client handle (the caller's own value,
 * handed back to the callback) is a DWORD_PTR: on 32-bit Windows that is the
 * vendor's DWORD, bit for bit; on 64-bit Windows it is pointer-sized, so a
 * caller may pass a pointer as its handle on either. */
#ifndef VELMARIC_WTCLIENT_H
#define VELMARIC_WTCLIENT_H

#include <windows.h>
#include <oaidl.h> /* VARIANT */

#ifdef __cplusplus
extern "C" {
#endif

#ifndef WTCLIENT_ONEVENTSTRUCT_DEFINED
#define WTCLIENT_ONEVENTSTRUCT_DEFINED
/* One AE notification, laid out as in the OPC AE standard (72 bytes on
 * 32-bit Windows, 104 on 64-bit). */
typedef struct tagONEVENTSTRUCT {
  WORD wChangeMask;
  WORD wNewState;
  LPWSTR szSource;
  FILETIME ftTime;
  LPWSTR szMessage;
  DWORD dwEventType;
  DWORD dwEventCategory;
  DWORD dwSeverity;
  LPWSTR szConditionName;
  LPWSTR szSubconditionName;
  WORD wQuality;
  WORD wReserved;
  BOOL bAckRequired;
  FILETIME ftActiveTime;
  DWORD dwCookie;
  DWORD dwNumEventAttrs;
  VARIANT *pEventAttributes;
  LPWSTR szActorID;
} ONEVENTSTRUCT;
#endif

#if defined(_WIN64)
#define WTCLIENT_ONEVENTSTRUCT_SIZE 104
#elif defined(_WIN32)
#define WTCLIENT_ONEVENTSTRUCT_SIZE 72
#endif
#ifdef WTCLIENT_ONEVENTSTRUCT_SIZE
#ifdef __cplusplus
static_assert(sizeof(ONEVENTSTRUCT) == WTCLIENT_ONEVENTSTRUCT_SIZE, "ONEVENTSTRUCT must match the OPC AE layout");
#else
typedef char wtclient_oneventstruct_size_check[(sizeof(ONEVENTSTRUCT) == WTCLIENT_ONEVENTSTRUCT_SIZE) ? 1 : -1];
#endif
#endif

/* OPC AE event types (QueryEventCategories takes a mask of them). */
#define WTCLIENT_SIMPLE_EVENT 1
#define WTCLIENT_TRACKING_EVENT 2
#define WTCLIENT_CONDITION_EVENT 4

/* Notification callback: called on a thread of the library (over COM, an
 * RPC thread of the multithreaded apartment) with the client handle given to
 * Create_AE_Subscription; the records are valid only during the call, and no
 * string in them is null. */
typedef void(CALLBACK *PFN_ExtendedAECallback)(DWORD_PTR clientHandle, BOOL refresh, BOOL lastRefresh,
                                                DWORD count, ONEVENTSTRUCT *events);

typedef BOOL(WINAPI *PFN_WTclientCoInit)(void);
typedef BOOL(WINAPI *PFN_WTclientCoUninit)(void);
typedef BOOL(WINAPI *PFN_EnableExtendedAECallback)(PFN_ExtendedAECallback callback);
typedef HANDLE(WINAPI *PFN_ConnectOPC_AE)(LPCSTR machineName, LPCSTR serverProgId);
typedef BOOL(WINAPI *PFN_QueryEventCategories)(HANDLE connection, DWORD eventType, DWORD *count,
                                               DWORD **categoryIds, LPWSTR **categoryNames);
typedef HANDLE(WINAPI *PFN_Create_AE_Subscription)(HANDLE connection, DWORD_PTR clientHandle,
                                                   DWORD *revisedBufferTime, DWORD *revisedMaxSize);
typedef BOOL(WINAPI *PFN_Refresh_AE_Subscription)(HANDLE connection, DWORD_PTR clientHandle);
typedef BOOL(WINAPI *PFN_DisconnectOPC_AE)(HANDLE connection);

BOOL WINAPI WTclientCoInit(void);
BOOL WINAPI WTclientCoUninit(void);
BOOL WINAPI EnableExtendedAECallback(PFN_ExtendedAECallback callback);
/* INVALID_HANDLE_VALUE on failure. */
HANDLE WINAPI ConnectOPC_AE(LPCSTR machineName, LPCSTR serverProgId);
/* The arrays stay the library's, valid until the next query or the
 * disconnect of that connection. */
BOOL WINAPI QueryEventCategories(HANDLE connection, DWORD eventType, DWORD *count, DWORD **categoryIds,
                                 LPWSTR **categoryNames);
/* 0 on failure. */
HANDLE WINAPI Create_AE_Subscription(HANDLE connection, DWORD_PTR clientHandle, DWORD *revisedBufferTime,
                                     DWORD *revisedMaxSize);
BOOL WINAPI Refresh_AE_Subscription(HANDLE connection, DWORD_PTR clientHandle);
/* Returns once no callback of the connection can run any more. */
BOOL WINAPI DisconnectOPC_AE(HANDLE connection);

#ifdef __cplusplus
}
#endif

#endif /* VELMARIC_WTCLIENT_H */
