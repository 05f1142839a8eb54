// One row per image command of an area: which menu item and tool buttons
// run it, the image kinds it needs, what it runs, and the names it goes by
// elsewhere (the routine registry, the remembered settings). The main
// window builds the bindings of its menus, buttons and guidance labels and
// the kind rules of its enabling from these rows.
#pragma once

#include <functional>
#include <optional>
#include <vector>

class Document;
class Host;

// The image kinds a command needs, besides an open document.
enum class Needs {
  Document,      // any picture
  FullColour,    // 16 bits per pixel and more
  Palette,       // below 16 bits per pixel
  ColourOrGrey8, // full colour or an 8-bit grey palette (the kit's neighbourhood filters)
  Grey8,         // an 8-bit grey palette
  ColourPalette, // a colour palette of 4 bits or more, or full colour
  AtLeast8,      // 8 bits per pixel and more
};

bool KindFits(Needs needs, int bitCount, bool grey);
// False without a document or picture.
bool Fits(Needs needs, const Document *document);

// A tool button that runs its command at once with a preset value.
struct OneClick {
  const char *button;
  int value;
};

struct Command {
  // The handler name ("mSoftenClick"): guidance labels and tests run the
  // command by it. Null for commands that only buttons run.
  const char *handler = nullptr;
  const char *menuItem = nullptr;
  std::vector<const char *> buttons = {};
  Needs needs = Needs::Document;
  // The buttons' own rule where it differs from the menu item's.
  std::optional<Needs> buttonNeeds = {};
  // Runs on the active document once it fits; empty while the command is
  // still to come.
  std::function<void(Host *, Document *)> run = {};
  // Its name in the routine registry, when the command runs one routine.
  const char *routine = nullptr;
  // Its remembered-settings name.
  const char *settings = nullptr;
  std::vector<OneClick> presets = {};
  std::function<void(Host *, Document *, int)> runPreset = {};
};

// Runs `command` on `document` when the document fits its needs.
void Execute(const Command &command, Host *host, Document *document);
// Runs the one-click `button` of `command` with its preset value; false
// when the button is not one of its presets.
bool ExecutePreset(const Command &command, const char *button, Host *host, Document *document);
