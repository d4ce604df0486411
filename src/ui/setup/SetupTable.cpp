#include "ui/setup/SetupTable.h"

namespace quillon {

namespace {

// Executables here carry no extension, so the file dialog starts on every file; ".exe" stays
// on offer for ports run through Wine.
#ifdef Q_OS_WIN
constexpr const char* kProgramFilter = "Programs (*.exe)|*.exe";
#else
constexpr const char* kProgramFilter = "All Files (*)|*|Programs (*.exe)|*.exe";
#endif

const SetupInstance kInstances[] = {
    {ListId::Ports,
     {"frmPortSetup", "Source Port Setup", "cmbPorts"},
     {"fraInfo", "Port Info", "lblInfo", "[No port selected]"},
     true,
     {"You must select a source port to change.",
      "You must select a source port to remove.",
      " from the source port list?",
      {"Quillon was unable to find this port.", "Most Likely it was moved or removed.",
       "Please re-setup this port."},
      "Failed to find this port, please re-setup"},
     {"frmAddPort", "Add/Change Source Port", "Port Name:", "txtPath", "lblPath", "Port Path:"},
     {"Select Source Port EXE", kProgramFilter, false}},

    {ListId::IWADs,
     {"frmIWADSetup", "IWAD Setup", "cmbIWADs"},
     {"fraNote", "Note:", "lblNote",
      "QLN assumes that the IWADs are in the same directory as your port."},
     false,
     {"You must select an IWAD to change.",
      "You must select an IWAD to remove.",
      " from the IWAD list?",
      {},
      nullptr},
     {"frmAddIWAD", "Add/Change IWAD", "IWAD Name:", "txtFile", "lblFile", "Filename:"},
     {"Select IWAD", "IWADs (*.wad)|*.wad", true}},

    // The program dialog's title already says what is named; short labels keep it narrow.
    {ListId::Programs,
     {"frmProgSetup", "Program Setup", "cmbProgs"},
     {"fraInfo", "Program Info", "lblInfo", "[No program selected]"},
     true,
     {"You must select a program to change.",
      "You must select a program to remove.",
      " from the program list?",
      {"Quillon was unable to find this program.", "Most Likely it was moved or removed.",
       "Please re-setup this program."},
      "Failed to find this program, please re-setup"},
     {"frmAddProg", "Add/Change Program", "Name:", "txtPath", "lblPath", "Path:"},
     {"Select Program", kProgramFilter, false}},
};

}  // namespace

const SetupInstance& InstanceOf(ListId list) {
  for (const SetupInstance& instance : kInstances) {
    if (instance.list == list) return instance;
  }
  return kInstances[0];
}

}  // namespace quillon
