#pragma once

// The program's settings live in this INI file (UTF-8) in the working directory.
constexpr char kSettingsFile[] = "Telvane.ini";
