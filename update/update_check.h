#pragma once
// The update check: reads the vendor's version page, compares the version written there with the
// one running and, when the user agrees, downloads the installer, starts it and ends the program.

#include <functional>

#include "update/update_site.h"

namespace vm {

// The check against the vendor's server (www.vistametra.com.br, port 80). `lManual` true: the user
// asked, and is always asked whether to download; false: the start-up check, which asks only when
// a newer version exists and otherwise shows nothing. A server that cannot be reached or says
// nothing is told only to a user who asked ("Não foi possível contatar o servidor de
// atualização."). Failures are told in message boxes; nothing is returned. The installer is
// started, and "wmenu" released, only after a download that completed whole; when the installer
// cannot be started the program says so and keeps running. While a download window is open,
// brings it forward and does nothing else.
//
// An installed copy (site.installedCopy) never downloads or runs anything: a newer version is told
// in a box that names the package manager ("Atualize pelo gerenciador de pacotes") and shows the
// page's text; an up-to-date copy says so only to a user who asked.
//
// Runs on the event-loop thread while the main form "wmenu" is active and returns when the check
// is over. The exchange with the server (within the site's time-outs) runs on a thread of its own:
// meanwhile the windows repaint and show the wait cursor but take no input.
void Update(bool lManual = false);

// The same against the given site. `waiting`, when given, is called with true before the exchange
// with the server and with false once it is over (before any box), so that the window can say
// that the check is under way.
void UpdateFrom(const UpdateSite& site, bool lManual,
                const std::function<void(bool waiting)>& waiting = {});

}  // namespace vm
