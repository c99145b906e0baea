// Resource identifiers shared by setup.rc and the program.
#ifndef ORLO_RES_RESOURCE_H
#define ORLO_RES_RESOURCE_H

#define IDD_SETUP_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_WELCOME 129
#define IDD_INSTALL_DIR 130
#define IDD_PROGRESS 131
#define IDD_SELECT_DIR 1536
#define IDD_SUCCESS 1537
#define IDD_APP_GROUP 1538

// The backdrop's caption and the title painted on it.
#define ORLO_SETUP_TITLE "ORLO 1.1 Setup"

#define IDC_DEST_DIR 1001
#define IDC_BROWSE 1002
#define IDC_PROGRESS_BAR 1003
#define IDC_COPYING 1006
#define IDC_TO 1007

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
