#pragma once

namespace quillon {

// The C library keeps freed memory resident for later use. After a start on a file of four
// full lists (it reads the whole settings file, fills the lists and goes once through the
// custom files) that is megabytes that an idle window holds for nothing. This hands it back
// to the system; where the C library cannot, it does nothing.
void ReturnFreedMemory();

}  // namespace quillon
