#include "app/uMain.h"

// Shared by "Save", "Notepad", "Commands" and "Init": the right button saves
// the selection. The list files arrive with the list tools; until then a
// press changes nothing.
void TfrMain::BitBtn5MouseDown(MouseButton) {}
