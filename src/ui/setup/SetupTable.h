#pragma once

#include <QString>
#include <array>

#include "core/settings/ConfigLayout.h"

namespace quillon {

// Everything in which the setup dialogs and the add/change dialogs of the source ports, the
// IWADs and the programs differ. The dialogs themselves are one design each.
struct SetupInstance {
  // The setup dialog's window, its caption (also its title label) and its drop-down list,
  // named like the main window's.
  struct Window {
    const char* name;
    const char* caption;
    const char* list;
  };
  // The frame beside the list and the label in it, with the text it opens with.
  struct Frame {
    const char* name;
    const char* caption;
    const char* labelName;
    const char* labelText;
  };
  // What the setup dialog says; the last three only where the frame shows entry info.
  struct Messages {
    const char* changeWithoutSelection;
    const char* removeWithoutSelection;
    const char* removalQuestionEnd;
    std::array<const char*, 3> notFound;
    const char* lookupFailed;
  };
  // The add/change dialog: window, caption (also its title label), the name field's label,
  // then the file field's name, its label's name and its label.
  struct EntryWindow {
    const char* name;
    const char* caption;
    const char* nameLabel;
    const char* fileFieldName;
    const char* fileLabelName;
    const char* fileLabel;
  };
  // Browse: the file dialog's title and filter, and whether the file field keeps only the
  // file's name, without its directory, where the ports find the file by that name.
  struct Browse {
    const char* title;
    const char* filter;
    bool keepsBareName;
  };

  ListId list;
  Window window;
  Frame frame;
  bool showsEntryInfo;  // the picked entry's name and file date
  Messages messages;
  EntryWindow entry;
  Browse browse;
};

// The instance for ListId::Ports, IWADs or Programs; the custom files have none.
const SetupInstance& InstanceOf(ListId list);

// The table's texts are plain ASCII.
inline QString Text(const char* text) {
  return QString::fromLatin1(text);
}

}  // namespace quillon
