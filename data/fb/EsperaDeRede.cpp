// A desk talks to the server over TCP. When the cable goes out or the server's machine stops,
// nothing answers and nothing refuses: the engine's client waits for the kernel to give up on
// the connection, which takes the kernel a quarter of an hour of retransmissions, and the
// program hangs meanwhile. The engine has no setting for it.
//
// The program therefore answers the engine client's calls to connect() itself: each TCP
// connection it opens is told to give up after some seconds without an answer from the other
// machine (TCP_USER_TIMEOUT), and to probe an idle connection every few seconds (keepalive),
// so that a dead link is an error with a message, not a frozen window. A server that is alive
// but busy answers the probes from its kernel and is waited for as long as it takes. Every
// other caller's connect() goes to the system unchanged.
#include "EsperaDeRede.h"

#include <dlfcn.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace {

using FuncaoConnect = int (*)(int, const sockaddr *, socklen_t);

FuncaoConnect connectDoSistema() {
    static const auto f = reinterpret_cast<FuncaoConnect>(dlsym(RTLD_NEXT, "connect"));
    return f;
}

// Whether the code at this address belongs to the engine's client library.
bool doClienteDoMotor(const void *endereco) {
    Dl_info info{};
    return dladdr(endereco, &info) && info.dli_fname &&
           std::strstr(info.dli_fname, "libfbclient") != nullptr;
}

void limitarEspera(int fd) {
    const int sim = 1;
    const int ociosoAntesDeSondar = Fb::k_segundosSemResposta / 2;
    const int entreSondas = 3;
    const int sondas = 3;
    const unsigned semResposta = unsigned(Fb::k_segundosSemResposta) * 1000;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &sim, sizeof sim);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &ociosoAntesDeSondar, sizeof ociosoAntesDeSondar);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &entreSondas, sizeof entreSondas);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &sondas, sizeof sondas);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &semResposta, sizeof semResposta);
}

} // namespace

extern "C" int connect(int fd, const sockaddr *endereco, socklen_t tamanho) {
    const int resultado = connectDoSistema()(fd, endereco, tamanho);
    const int erro = errno;
    if ((resultado == 0 || erro == EINPROGRESS) && endereco &&
        (endereco->sa_family == AF_INET || endereco->sa_family == AF_INET6) &&
        doClienteDoMotor(__builtin_return_address(0)))
        limitarEspera(fd);
    errno = erro;
    return resultado;
}

namespace Fb {

bool esperaDeRedeAtiva() {
    return reinterpret_cast<void *>(dlsym(RTLD_DEFAULT, "connect")) ==
           reinterpret_cast<void *>(&::connect);
}

} // namespace Fb
