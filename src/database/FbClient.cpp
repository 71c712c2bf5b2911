#include "database/FbClient.h"

#include <iberror.h>

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

} // namespace clinova

namespace clinova::fb {

Firebird::IMaster *Master() {
    static Firebird::IMaster *master = Firebird::fb_get_master_interface();
    return master;
}

Firebird::IUtil *Util() { return Master()->getUtilInterface(); }

void ShutdownClient() noexcept {
    QuietStatus status;
    Firebird::IProvider *dispatcher = Master()->getDispatcher();
    dispatcher->shutdown(status.get(), 0, fb_shutrsn_app_stopped);
    dispatcher->release();
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
    const long code = (errors && errors[0] == isc_arg_gds) ? static_cast<long>(errors[1]) : 0;
    return DatabaseError(FormatStatus(status), code);
}

} // namespace clinova::fb
