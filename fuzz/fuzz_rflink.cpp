// rf:// links and HOST:PORT from anywhere: what parses has a host the game
// can take and a port from 1 to 65535, and the link written out again
// parses to the same server and password (unless the password holds a '%':
// the launchers take it as it stands, a link read here is decoded).
#include "core/browser/rflink.h"
#include "fuzzcheck.h"

#include <QString>

namespace {

void check(const std::optional<RfLink>& link, RfLink::Error error)
{
    FUZZ_CHECK(link.has_value() == (error == RfLink::Error::None));
    if (!link)
        return;
    FUZZ_CHECK(RfLink::isValidHost(link->server.host));
    FUZZ_CHECK(link->server.port >= 1);
    RfLink::passwordProblem(link->password);
    if (link->password.contains(u'%'))
        return;
    RfLink::Error again = RfLink::Error::None;
    const std::optional<RfLink> reparsed = RfLink::parse(link->text(), &again);
    FUZZ_CHECK(reparsed && reparsed->server == link->server &&
               reparsed->password == link->password);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzInput(data, size));
    // Each result first: the order in which a call's arguments are worked
    // out is the compiler's.
    RfLink::Error error = RfLink::Error::None;
    const std::optional<RfLink> link = RfLink::parse(text, &error);
    check(link, error);
    error = RfLink::Error::None;
    const std::optional<RfLink> address = RfLink::parseAddress(text, &error);
    check(address, error);
    return 0;
}
