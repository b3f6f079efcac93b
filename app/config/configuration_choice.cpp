#include "configuration_choice.h"

#include "options.h"
#include "sets.h"
#include "storage.h"

std::string ChooseCurrentSet(TStoregeClass& storage, const std::string& SetName) {
    CurrentSetFile = SetFilePath(SetName);
    return storage.ReadNameLastSet(CurrentSetFile);
}

void LoadChosenConfiguration(TStoregeClass& storage, const std::string& name) {
    storage.LoadUserConfig(name, CurrentSetFile);
    CurrentSetName = name;
}

void RememberChosenConfiguration(TStoregeClass& storage) {
    storage.SaveNameLastSet(CurrentSetFile, CurrentSetName);
}
