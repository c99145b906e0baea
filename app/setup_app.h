// The setup program's application object: the whole installation runs in
// InitInstance, and the program never enters a message loop of its own.
#ifndef ORLO_APP_SETUP_APP_H
#define ORLO_APP_SETUP_APP_H

#include "afx/afxwin.h"

class CSetupApp : public CWinApp {
 public:
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

extern CSetupApp theApp;

#endif
