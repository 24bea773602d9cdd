// The embedded engine looks for the ICU libraries it converts text with by trying some 270
// versions by name, from ICU 5.2 to 7.9, twice each, before the one Debian ships; its
// configuration (icu_versions) governs only collations, not this search. Every name the
// dynamic loader cannot find costs it a walk of its library folders and a mapping of its
// cache, about 60 ms of every start-up in all.
//
// The program therefore answers the loader's calls for ICU names itself: a name of an ICU
// library that the folder of the installed ICU does not hold fails at once, by its full path
// in that folder, with the loader's own error; every other call, and every call when the
// user set LD_LIBRARY_PATH (an ICU of their own elsewhere), goes to the loader unchanged.
#include "AtalhoIcu.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <set>
#include <string>

namespace {

using FuncaoDlopen = void *(*)(const char *, int);

FuncaoDlopen dlopenDoSistema() {
    static const auto f = reinterpret_cast<FuncaoDlopen>(dlsym(RTLD_NEXT, "dlopen"));
    return f;
}

bool comeca(const char *texto, const char *prefixo) {
    return std::strncmp(texto, prefixo, std::strlen(prefixo)) == 0;
}

// "libicuuc.so.72", "libicuuc.so.5_2" or "libicui18n.so.419": a bare name, as the engine asks.
bool nomeDeIcu(const char *nome) {
    if (std::strchr(nome, '/'))
        return false;
    const char *resto = nullptr;
    if (comeca(nome, "libicuuc.so."))
        resto = nome + std::strlen("libicuuc.so.");
    else if (comeca(nome, "libicui18n.so."))
        resto = nome + std::strlen("libicui18n.so.");
    if (!resto || !*resto)
        return false;
    for (; *resto; ++resto)
        if ((*resto < '0' || *resto > '9') && *resto != '.' && *resto != '_')
            return false;
    return true;
}

struct IcuInstalado {
    std::string pasta;           // where the loaded ICU lives, with a final '/'
    std::set<std::string> nomes; // the ICU file names that folder holds
};

// The folder of the ICU already in the process (Qt links it), and its ICU file names. Empty
// when no ICU is loaded: then nothing is answered here.
IcuInstalado procurarIcu() {
    IcuInstalado icu;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *dados) {
            const char *caminho = info->dlpi_name;
            const char *barra = caminho ? std::strrchr(caminho, '/') : nullptr;
            if (barra && nomeDeIcu(barra + 1) && comeca(barra + 1, "libicuuc.so.")) {
                static_cast<IcuInstalado *>(dados)->pasta.assign(caminho, barra + 1);
                return 1;
            }
            return 0;
        },
        &icu);
    if (icu.pasta.empty())
        return icu;
    if (DIR *d = opendir(icu.pasta.c_str())) {
        while (const dirent *e = readdir(d))
            if (nomeDeIcu(e->d_name))
                icu.nomes.insert(e->d_name);
        closedir(d);
    }
    if (icu.nomes.empty())
        icu.pasta.clear();
    return icu;
}

const IcuInstalado &icuInstalado() {
    static const IcuInstalado icu = procurarIcu();
    return icu;
}

} // namespace

extern "C" void *dlopen(const char *nome, int modo) {
    const FuncaoDlopen sistema = dlopenDoSistema();
    if (nome && nomeDeIcu(nome) && !std::getenv("LD_LIBRARY_PATH")) {
        const IcuInstalado &icu = icuInstalado();
        if (!icu.pasta.empty() && !icu.nomes.count(nome))
            return sistema((icu.pasta + nome).c_str(), modo);
    }
    return sistema(nome, modo);
}

namespace Fb {

bool atalhoIcuAtivo() {
    // The program's own definition is the one every library reaches.
    return reinterpret_cast<void *>(dlsym(RTLD_DEFAULT, "dlopen")) ==
           reinterpret_cast<void *>(&::dlopen);
}

} // namespace Fb
