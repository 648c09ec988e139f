// What both host programs set up in their application before any window:
// Qt's own texts in Korean, and text drawn unhinted as the control's is.
#pragma once

class QApplication;

void PrepareApplication(QApplication& app);
