#include "database/FbClient.h"

#include "normalized/Win1252.h"

#include <iberror.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace clinova {

bool DatabaseError::ConnectionLost() const {
    switch (code_) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_conn_lost:
    case isc_lost_db_connection:
    case isc_shutdown:
    case isc_att_shutdown:
    case isc_bad_db_handle:
        return true;
    default:
        return false;
    }
}

bool DatabaseError::Has(long code) const { return std::find(codes_.begin(), codes_.end(), code) != codes_.end(); }

std::string DatabaseError::Explanation() const {
#ifdef _WIN32
    const bool diskFull = systemError_ == ERROR_DISK_FULL || systemError_ == ERROR_HANDLE_DISK_FULL;
#else
    const bool diskFull = systemError_ == ENOSPC;
#endif
    // The first that fits: the codes that say most come before the general ones that come with them
    // (isc_network_error heads both a refused connection and a lost one).
    struct Case {
        bool fits;
        const char *text;
    };
    const Case cases[] = {
        {Has(isc_io_error) && diskFull,
         "le disque de la base de données est plein : libérer de la place sur le disque du serveur, puis relancer "
         "l'action."},
        {Has(isc_net_lookup_err),
         "le nom du serveur est inconnu : vérifier l'adresse du serveur ; sans serveur, un chemin comme "
         "« C:\\... » ou « machine:chemin » est lu comme le nom d'une autre machine."},
        {Has(isc_shutdown) || Has(isc_shutinprog),
         "la base de données est arrêtée par son administrateur : la remettre en service (gfix -online), puis "
         "relancer l'action."},
        {Has(isc_net_read_err) || Has(isc_net_write_err) || Has(isc_att_shutdown) || Has(isc_conn_lost) ||
             Has(isc_lost_db_connection),
         "la connexion à la base de données a été perdue (serveur arrêté ou réseau coupé) : ce qui n'était pas "
         "encore validé est perdu. Vérifier le serveur et le réseau, puis relancer l'action (une importation se "
         "termine avec « Reprendre l'importation interrompue »)."},
        {Has(isc_net_connect_err) || Has(isc_network_error) || Has(isc_net_init_error),
         "le serveur ne répond pas ou refuse la connexion : vérifier que Firebird est démarré sur le serveur, que "
         "son adresse IP est la bonne et que le pare-feu laisse passer le port 3050."},
        {Has(isc_login),
         "le serveur refuse l'utilisateur ou le mot de passe : vérifier que SYSDBA a le mot de passe habituel de "
         "Clinova sur ce serveur."},
        {Has(isc_lock_timeout) || Has(isc_deadlock) || Has(isc_lock_conflict) || Has(isc_update_conflict),
         "la base de données est utilisée par une autre connexion qui tient les mêmes données : fermer Clinova "
         "sur tous les postes, puis relancer l'action."},
        {Has(isc_bad_db_format),
         "ce fichier n'est pas une base de données Firebird : vérifier le chemin (une sauvegarde .fbk se restaure "
         "d'abord en une nouvelle base)."},
        {Has(isc_wrong_ods),
         "la base a été créée par une autre version de Firebird (structure sur disque différente) : l'ouvrir avec "
         "le serveur de cette version, ou la sauvegarder et la restaurer avec celui-ci."},
        {Has(isc_io_error) || Has(isc_io_open_err),
         "le fichier de la base de données est introuvable ou illisible : vérifier le chemin (tel que le serveur "
         "le voit) et que le serveur a le droit de lire et d'écrire ce fichier."},
        {Has(isc_unavailable),
         "le moteur de base de données Firebird est indisponible : vérifier qu'il est installé et démarré."},
    };
    for (const Case &c : cases)
        if (c.fits)
            return FromUtf8(c.text);
    return {};
}

} // namespace clinova

namespace clinova::fb {

#ifdef _WIN32

namespace {

// On Windows the client library is the practice's own fbclient.dll, that of its Firebird server's version,
// loaded when the program first needs it.
using GetMasterFunction = Firebird::IMaster *(ISC_EXPORT *)();

std::string Utf8Of(const std::wstring &text) {
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::wstring Environment(const wchar_t *name) {
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, 32768);
    return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

std::wstring InFolder(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder + L"fbclient.dll";
}

// The places, in order: beside the program; CLINOVA_FBCLIENT (the library or its folder); the Firebird
// installation FIREBIRD names; the folders Firebird's installer uses, newest version first; the system's own
// search (the installer may copy the library into the system folder).
std::vector<std::wstring> ClientCandidates() {
    std::vector<std::wstring> places;
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring folder(program, length);
        folder.erase(folder.find_last_of(L"\\/") + 1);
        places.push_back(InFolder(folder));
    }
    if (const std::wstring chosen = Environment(L"CLINOVA_FBCLIENT"); !chosen.empty()) {
        const DWORD attributes = GetFileAttributesW(chosen.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        places.push_back(folder ? InFolder(chosen) : chosen);
    }
    if (const std::wstring root = Environment(L"FIREBIRD"); !root.empty())
        places.push_back(InFolder(root));
    std::wstring programFiles = Environment(L"ProgramFiles");
    if (programFiles.empty())
        programFiles = L"C:\\Program Files";
    for (const wchar_t *version : {L"5_0", L"4_0", L"3_0"})
        places.push_back(InFolder(programFiles + L"\\Firebird\\Firebird_" + version));
    places.push_back(L"fbclient.dll");
    return places;
}

Firebird::IMaster *LoadMaster() {
    std::string tried;
    const auto note = [&tried](const std::wstring &place, const char *why) {
        tried += (tried.empty() ? "" : " ; ") + Utf8Of(place) + why;
    };
    for (const std::wstring &place : ClientCandidates()) {
        const bool searched = place.find_first_of(L"\\/") == std::wstring::npos;
        if (!searched && GetFileAttributesW(place.c_str()) == INVALID_FILE_ATTRIBUTES) {
            note(place, "");
            continue;
        }
        // The library's own dependencies are looked for in its folder first.
        HMODULE library = searched ? LoadLibraryW(place.c_str())
                                   : LoadLibraryExW(place.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library) {
            note(place, searched                                 ? " (recherche du système)"
                        : GetLastError() == ERROR_BAD_EXE_FORMAT ? " (32 bits : il faut le client 64 bits)"
                                                                 : " (ne se charge pas)");
            continue;
        }
        if (auto get = reinterpret_cast<GetMasterFunction>(
                reinterpret_cast<void *>(GetProcAddress(library, "fb_get_master_interface"))))
            return get();
        FreeLibrary(library);
        note(place, " (pas le client de Firebird 3 ou plus récent)");
    }
    throw DatabaseError(
        FromUtf8("La bibliothèque cliente de Firebird (fbclient.dll) est introuvable. Cherchée : " + tried +
                 ". La copier à côté de clinova-import.exe, ou donner son chemin dans la "
                 "variable d'environnement CLINOVA_FBCLIENT."),
        0);
}

std::atomic<Firebird::IMaster *> loadedMaster{nullptr};

} // namespace

Firebird::IMaster *Master() {
    static Firebird::IMaster *master = LoadMaster();
    loadedMaster.store(master);
    return master;
}

#else

Firebird::IMaster *Master() {
    static Firebird::IMaster *master = Firebird::fb_get_master_interface();
    return master;
}

#endif

Firebird::IUtil *Util() { return Master()->getUtilInterface(); }

void ShutdownClient() noexcept {
#ifdef _WIN32
    // A program that never reached the database has no client to shut down.
    if (loadedMaster.load() == nullptr)
        return;
#endif
    QuietStatus status;
    Firebird::IProvider *dispatcher = Master()->getDispatcher();
    dispatcher->shutdown(status.get(), 0, fb_shutrsn_app_stopped);
    dispatcher->release();
}

namespace {

std::atomic<std::int64_t> callStart{0}; // steady clock, in microseconds; 0 when no call waits
std::mutex watchedMutex;
Firebird::IAttachment *watched = nullptr; // with a reference of its own

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// A call made inside another (a status built while a call runs) is part of it.
TimedCall::TimedCall() noexcept : outer_(callStart.load() == 0) {
    if (outer_)
        callStart.store(Now());
}

TimedCall::~TimedCall() {
    if (outer_)
        callStart.store(0);
}

double SecondsInCurrentCall() noexcept {
    const std::int64_t start = callStart.load();
    return start == 0 ? 0.0 : static_cast<double>(Now() - start) / 1e6;
}

void WatchAttachment(Firebird::IAttachment *attachment) noexcept {
    attachment->addRef();
    Firebird::IAttachment *before = nullptr;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        before = watched;
        watched = attachment;
    }
    if (before)
        before->release();
}

void UnwatchAttachment(Firebird::IAttachment *attachment) noexcept {
    if (!attachment)
        return;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        if (watched != attachment)
            return;
        watched = nullptr;
    }
    attachment->release();
}

bool AbortCurrentCall() noexcept {
    Firebird::IAttachment *attachment = nullptr;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        attachment = watched;
        if (attachment)
            attachment->addRef();
    }
    if (!attachment)
        return false;
    QuietStatus status;
    attachment->cancelOperation(status.get(), fb_cancel_abort);
    attachment->release();
    return true;
}

std::string FormatStatus(const Firebird::IStatus *status) {
    char buffer[2048];
    const unsigned len = Util()->formatStatus(buffer, sizeof buffer, const_cast<Firebird::IStatus *>(status));
    std::string text(buffer, len < sizeof buffer ? len : sizeof buffer - 1);
    for (auto &c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

DatabaseError ToDatabaseError(const Firebird::FbException &e) {
    const Firebird::IStatus *status = e.getStatus();
    const ISC_STATUS *errors = const_cast<Firebird::IStatus *>(status)->getErrors();
    // The vector holds (kind, value) pairs, a string value with its length for isc_arg_cstring.
    std::vector<long> codes;
    long systemError = 0;
    for (const ISC_STATUS *p = errors; p && *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_cstring) {
            p += 2;
            continue;
        }
        if (kind == isc_arg_gds)
            codes.push_back(static_cast<long>(*p));
        else if ((kind == isc_arg_unix || kind == isc_arg_win32) && systemError == 0)
            systemError = static_cast<long>(*p);
        ++p;
    }
    return DatabaseError(FormatStatus(status), std::move(codes), systemError);
}

} // namespace clinova::fb
