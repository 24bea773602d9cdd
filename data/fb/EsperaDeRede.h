#pragma once

namespace Fb {

// How long a desk waits on a connection to its server that gets no answer at all (a cable out,
// the server's machine off) before the call fails with "connection lost" (see EsperaDeRede.cpp).
constexpr int k_segundosSemResposta = 20;

// Whether the program's own connect(), which sets that limit on the engine's connections, is
// the one the engine's client reaches; false in a process that does not export it.
bool esperaDeRedeAtiva();

} // namespace Fb
