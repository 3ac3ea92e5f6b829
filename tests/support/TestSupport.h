#pragma once
#include <QString>

// Every test process runs with HOME and the XDG folders in a private
// temporary folder (set up before main by TestSupport.cpp).
namespace TestSupport {

// The private folder that stands in for the machine.
QString root();
// The stand-in for the user's home folder.
QString home();
// The folders of the per-user and machine settings hives.
QString userConfigDir();
QString machineConfigDir();
// Removes both settings hives, so a test starts from built-in defaults.
void clearSettings();

} // namespace TestSupport
