// The choice and the save of a configuration, without windows: what the main window's configuration
// list and Save do, and what the remote-control server does for its clients.
#pragma once

#include <string>

class TStoregeClass;

// Set `SetName` becomes the current set (CurrentSetFile = its file in User/). Returns the configuration
// the set names as last chosen ("Default" when it names none).
std::string ChooseCurrentSet(TStoregeClass& storage, const std::string& SetName);
// Configuration `name` of the current set into the hardware object and the tool settings (a section
// that does not exist loads every default); it becomes CurrentSetName.
void LoadChosenConfiguration(TStoregeClass& storage, const std::string& name);
// The choice remembered in the current set file (its LastSet), once the configuration is shown.
void RememberChosenConfiguration(TStoregeClass& storage);
