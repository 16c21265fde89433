/* Numeric ids of the controls, menu command, strings and icon. Plain macros, so
   that the Windows resource script can include this file too. */
#pragma once

#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)

#define IDM_ABOUTBOX 0x0010 /* the information box's menu command */
#define IDS_ABOUTBOX 101    /* that command's text in the menu */
#define IDS_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128 /* the application icon */

#define IDC_MESSAGES 1002
#define IDC_CHECK_NOW 1003
#define IDC_SERVER 1004
#define IDC_USER 1005
#define IDC_PASSWORD 1006
#define IDC_REMEMBER 1007
#define IDC_DELETE 1008
#define IDC_STATUS 1009
