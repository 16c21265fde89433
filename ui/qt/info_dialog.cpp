#include "ui/qt/info_dialog.h"

CInfoDialog::CInfoDialog(QWidget* parent) : CDialog(InfoDialogTemplate(), parent) {}
