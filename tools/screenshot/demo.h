#pragma once

class MainWindow;
class QString;

// Plays a short session against a simulated DTU so that every page has
// something to show: opens the port, sends terminal data, queries a DTU
// command, pushes an image to a display and starts the repeated test.
// Returns false (with the reason) when a step did not complete.
bool playDemo(MainWindow& window, const QString& imagePath, QString& error);
