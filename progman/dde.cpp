#include "progman/dde.h"

#include <string.h>

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return NULL;
}

CDdeInstance::CDdeInstance() : m_dwInstance(0) {
  if (DdeInitializeA(&m_dwInstance, DdeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
    m_dwInstance = 0;
}

CDdeInstance::~CDdeInstance() {
  // Also ends a conversation that is still open.
  if (m_dwInstance != 0)
    DdeUninitialize(m_dwInstance);
}

CDdeStringHandle::CDdeStringHandle(const CDdeInstance& instance, LPCSTR pszText)
    : m_dwInstance(instance.GetId()),
      m_hsz(DdeCreateStringHandleA(m_dwInstance, pszText, CP_WINANSI)) {}

CDdeStringHandle::~CDdeStringHandle() {
  if (m_hsz != NULL)
    DdeFreeStringHandle(m_dwInstance, m_hsz);
}

// The NUL travels with the text: a server may read the command as a C string.
CDdeDataHandle::CDdeDataHandle(const CDdeInstance& instance, LPCSTR pszText)
    : m_hData(DdeCreateDataHandle(instance.GetId(),
                                  reinterpret_cast<LPBYTE>(const_cast<char*>(pszText)),
                                  static_cast<DWORD>(strlen(pszText) + 1), 0, NULL, CF_TEXT, 0)) {}

CDdeConversation::CDdeConversation(const CDdeInstance& instance)
    : m_pInstance(&instance), m_hConv(NULL) {}

BOOL CDdeConversation::Connect(LPCSTR pszService, LPCSTR pszTopic, const CONVCONTEXT* pContext) {
  CDdeStringHandle hszService(*m_pInstance, pszService);
  CDdeStringHandle hszTopic(*m_pInstance, pszTopic);
  // DDEML only reads the context.
  m_hConv = DdeConnect(m_pInstance->GetId(), hszService.GetHandle(), hszTopic.GetHandle(),
                       const_cast<CONVCONTEXT*>(pContext));
  return m_hConv != NULL;
}

HDDEDATA CDdeConversation::Execute(const CDdeDataHandle& data, DWORD* pdwStatus) {
  // A data length of -1 says that the first argument is a data handle.
  return DdeClientTransaction(reinterpret_cast<LPBYTE>(data.GetHandle()), 0xFFFFFFFF, m_hConv, NULL,
                              0, XTYP_EXECUTE, kExecuteTimeoutMs, pdwStatus);
}

void CDdeConversation::Disconnect() {
  if (m_hConv != NULL)
    DdeDisconnect(m_hConv);
  m_hConv = NULL;
}
