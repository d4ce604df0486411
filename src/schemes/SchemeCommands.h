#pragma once

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace quillon {

class CommonDialog;
class Desktop;
class ReadWrite;

// The main window's launch options as the scheme commands see them. Setting a box or a
// list runs its reaction through Qt's change signals; the two callbacks apply what a
// restored state needs besides (the level box's and the file list's enabling and colour).
struct SchemeControls {
  QComboBox* ports;
  QComboBox* iwads;
  QLineEdit* params;
  QCheckBox* closeOnTest;
  QCheckBox* warp;
  QLineEdit* warpTo;
  QCheckBox* noMonsters;
  QCheckBox* noMusic;
  QCheckBox* noSound;
  QCheckBox* noCD;
  QCheckBox* openGL;
  QCheckBox* enableFiles;
  QListWidget* files;
  QListWidget* fileDirs;
  std::function<void(bool)> setWarp;
  std::function<void(bool)> setUseFiles;
};

// Program > Save Scheme: the options into a scheme file of the user's choice.
void SaveScheme(CommonDialog& cdlOpen, ReadWrite& schemeFile, const SchemeControls& controls);

// Program > Load Scheme: the options back from a scheme file, one at a time; the custom
// file list is also written into the configuration file through `iniFile`.
void LoadScheme(CommonDialog& cdlOpen, ReadWrite& schemeFile, ReadWrite& iniFile,
                Desktop& desktop, QWidget* owner, const SchemeControls& controls);

}  // namespace quillon
