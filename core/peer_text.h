// Text that came from a peer (phone names and identities, file names) on its
// way to a terminal or a window. Pairing needs no authentication, so anyone
// on the network chooses these texts.
#pragma once

#include <string>
#include <string_view>

namespace harbrook {

// The text with everything a terminal would act upon written out as an
// escape: C0 and C1 control characters and DEL as "\x1b", bidirectional
// overrides as "\u202e", and bytes that are not UTF-8 as "\xff". Printable
// characters, of any script, stay as they are.
std::string EscapeControls(std::string_view text);

// The same for a text of ours that holds escaped peer texts already (a
// backup's failure reason): the directional isolates our own formatting put
// around its placeholders stay, so that an Arabic reason keeps its order.
std::string EscapeControlsKeepingIsolates(std::string_view text);

}  // namespace harbrook
