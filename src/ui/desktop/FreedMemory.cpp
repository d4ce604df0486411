#include "ui/desktop/FreedMemory.h"

#include <cstdlib>  // names the C library: __GLIBC__

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quillon {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace quillon
