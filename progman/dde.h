// A thin layer over the DDEML client functions: one instance for the whole
// process, one conversation, and scoped string and data handles. Nothing here
// shows a message or asks DDEML for an error code: every failure is a FALSE
// or null result.
#ifndef ORLO_PROGMAN_DDE_H
#define ORLO_PROGMAN_DDE_H

#include <windows.h>

#include <ddeml.h>

// The DDEML callback of our client instance. A client-only instance is asked
// for nothing that needs an answer, so every call gets a null data handle.
HDDEDATA CALLBACK DdeCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                              HDDEDATA hData, ULONG_PTR dwData1, ULONG_PTR dwData2);

// Owns one DDEML client instance: initialised by the constructor, ended by
// the destructor. An identifier of 0 means initialisation failed; every later
// operation on the instance then fails quietly.
class CDdeInstance {
 public:
  CDdeInstance();
  ~CDdeInstance();
  CDdeInstance(const CDdeInstance&) = delete;
  CDdeInstance& operator=(const CDdeInstance&) = delete;

  DWORD GetId() const { return m_dwInstance; }

 private:
  DWORD m_dwInstance;
};

// A string handle that lives as long as the object.
class CDdeStringHandle {
 public:
  CDdeStringHandle(const CDdeInstance& instance, LPCSTR pszText);
  ~CDdeStringHandle();
  CDdeStringHandle(const CDdeStringHandle&) = delete;
  CDdeStringHandle& operator=(const CDdeStringHandle&) = delete;

  HSZ GetHandle() const { return m_hsz; }

 private:
  DWORD m_dwInstance;
  HSZ m_hsz;
};

// A data handle carrying one command string with its terminating NUL. It is
// made to be handed to an execute transaction, which takes it over, so the
// destructor leaves it alone.
class CDdeDataHandle {
 public:
  CDdeDataHandle(const CDdeInstance& instance, LPCSTR pszText);
  CDdeDataHandle(const CDdeDataHandle&) = delete;
  CDdeDataHandle& operator=(const CDdeDataHandle&) = delete;

  HDDEDATA GetHandle() const { return m_hData; }

 private:
  HDDEDATA m_hData;
};

// One client conversation on an instance. Only Disconnect ends it: the
// destructor leaves an open conversation to the instance's end.
class CDdeConversation {
 public:
  explicit CDdeConversation(const CDdeInstance& instance);
  CDdeConversation(const CDdeConversation&) = delete;
  CDdeConversation& operator=(const CDdeConversation&) = delete;

  // TRUE when a server answered. A handle held before is overwritten without
  // being disconnected: the program connects once per run.
  BOOL Connect(LPCSTR pszService, LPCSTR pszTopic, const CONVCONTEXT* pContext);
  // One synchronous execute of at most kExecuteTimeoutMs. Returns what
  // DdeClientTransaction returns: non-null when the server carried it out.
  // pdwStatus, which may be null, receives the transaction's status.
  HDDEDATA Execute(const CDdeDataHandle& data, DWORD* pdwStatus);
  // Ends an open conversation; without one it makes no DDEML call.
  void Disconnect();

  HCONV GetHandle() const { return m_hConv; }

  static const DWORD kExecuteTimeoutMs = 10000;

 private:
  const CDdeInstance* m_pInstance;
  HCONV m_hConv;
};

#endif
