#pragma once

class QApplication;

// Version, names and built-in resources that every front end of the
// program sets up before it builds the main window.
void initApplication(QApplication& app);
