#pragma once

namespace Fb {

// Whether the program's own answer to the loader's calls for ICU libraries is the one the
// engine reaches (see AtalhoIcu.cpp); false in a process that does not export it.
bool atalhoIcuAtivo();

} // namespace Fb
