// The program's skin layer: once a dialog skin is applied, every dialog window that the thread creates
// afterwards is drawn on the skin's background, without any call from the dialog itself.
#pragma once

#include <windows.h>

namespace skin {

// Prepares the layer for this process. The application name is kept for the skin's own use only.
// Returns false when the layer was already initialised (the earlier state stays).
bool Initialise(HINSTANCE instance, const char* appName);

// Reads a skin file. A relative name is looked up in the executable's folder first and then in the current
// folder; an absolute name is used as given. A missing, unreadable or malformed file loads nothing and
// leaves the plain look. Returns whether a skin file is now loaded.
bool LoadSkinFile(const char* fileName);

// Draws every dialog window (class "#32770") that this thread creates from now on with the loaded file's
// section of that name: a vertical gradient background that static controls show behind their text (also
// after a change of text), an optional text colour and frame. Dialogs that exist already keep their look.
// Returns false, and changes nothing, when no file is loaded or it has no usable section of that name.
bool ApplyDialogSkin(const char* skinName);

// Stops skinning: removes the hook, restores the plain look of dialogs that are still open and frees
// everything. Must run on the thread that applied the skin, before static destruction. Safe to repeat.
void Release();

} // namespace skin
