#pragma once
#include <QObject>
#include <exception>
#include <utility>

// The last-resort handler: shows the text of an error that reached the edge of
// an event handler in an error box, and the event loop goes on.
void tratarErro(std::exception_ptr erro);

// Runs an event handler's body so that no exception unwinds into Qt's code;
// answers whether the body ran to its end.
template <class Corpo> bool protegido(Corpo &&corpo) {
    try {
        std::forward<Corpo>(corpo)();
        return true;
    } catch (...) {
        tratarErro(std::current_exception());
        return false;
    }
}

// The same for a body that may stop half way: when it fails, `recompor` first
// leaves things usable (keeps what was made so far, drops what cannot go on),
// and then the error is shown.
template <class Corpo, class Recompor> bool protegido(Corpo &&corpo, Recompor &&recompor) {
    try {
        std::forward<Corpo>(corpo)();
        return true;
    } catch (...) {
        const std::exception_ptr erro = std::current_exception();
        protegido(std::forward<Recompor>(recompor));
        tratarErro(erro);
        return false;
    }
}

// Connects a signal to a handler guarded by the last-resort handler.
template <class Emissor, class Sinal, class Dono, class Manipulador>
QMetaObject::Connection ligar(Emissor *emissor, Sinal sinal, Dono *dono, Manipulador manipulador) {
    return QObject::connect(emissor, sinal, dono, [dono, manipulador](auto &&...) {
        protegido([&] {
            if constexpr (std::is_member_function_pointer_v<Manipulador>)
                (dono->*manipulador)();
            else
                manipulador();
        });
    });
}
