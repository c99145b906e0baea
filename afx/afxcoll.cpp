#include <new>

#include "afx/afxstr.h"

CStringList::CStringList(int nBlockSize)
    : m_pNodeHead(NULL),
      m_pNodeTail(NULL),
      m_pNodeFree(NULL),
      m_pBlocks(NULL),
      m_nCount(0),
      m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CStringList::~CStringList() { RemoveAll(); }

CStringList::CNode* CStringList::NewNode() {
  if (m_pNodeFree == NULL) {
    // One allocation per block of nodes, chained into the free list.
    size_t nBytes = sizeof(CBlock) + sizeof(CNode) * m_nBlockSize;
    CBlock* pBlock = static_cast<CBlock*>(::operator new(nBytes));
    pBlock->pNext = m_pBlocks;
    m_pBlocks = pBlock;
    CNode* pNodes = reinterpret_cast<CNode*>(pBlock + 1);
    for (int i = m_nBlockSize - 1; i >= 0; i--) {
      pNodes[i].pNext = m_pNodeFree;
      m_pNodeFree = &pNodes[i];
    }
  }
  CNode* pNode = m_pNodeFree;
  m_pNodeFree = pNode->pNext;
  new (&pNode->data) CString;
  pNode->pNext = NULL;
  return pNode;
}

POSITION CStringList::AddTail(LPCSTR psz) {
  CNode* pNode = NewNode();
  pNode->data = psz;
  if (m_pNodeTail)
    m_pNodeTail->pNext = pNode;
  else
    m_pNodeHead = pNode;
  m_pNodeTail = pNode;
  m_nCount++;
  return reinterpret_cast<POSITION>(pNode);
}

const CString& CStringList::GetNext(POSITION& rPosition) const {
  CNode* pNode = reinterpret_cast<CNode*>(rPosition);
  rPosition = reinterpret_cast<POSITION>(pNode->pNext);
  return pNode->data;
}

void CStringList::RemoveAll() {
  for (CNode* p = m_pNodeHead; p; p = p->pNext)
    p->data.~CString();
  while (m_pBlocks) {
    CBlock* pNext = m_pBlocks->pNext;
    ::operator delete(m_pBlocks);
    m_pBlocks = pNext;
  }
  m_pNodeHead = m_pNodeTail = m_pNodeFree = NULL;
  m_nCount = 0;
}
