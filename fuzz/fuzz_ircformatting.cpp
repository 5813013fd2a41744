// Text from other chat clients: the formatting stripper leaves no
// formatting code behind and changes nothing a second time, and a CTCP
// message that parses, quoted again, parses to the same command and
// argument.
#include "core/wire/ctcpmessage.h"
#include "core/wire/ircformatting.h"
#include "fuzzcheck.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzInput(data, size));
    const QString plain = stripIrcFormatting(text);
    for (const char16_t code : {0x02, 0x03, 0x04, 0x0F, 0x11, 0x16, 0x1D, 0x1E, 0x1F})
        FUZZ_CHECK(!plain.contains(QChar(code)));
    FUZZ_CHECK(plain.size() <= text.size());
    FUZZ_CHECK(stripIrcFormatting(plain) == plain);

    if (const std::optional<CtcpMessage> message = CtcpMessage::parse(text)) {
        FUZZ_CHECK(message->command == message->command.toUpper());
        const std::optional<CtcpMessage> again =
            CtcpMessage::parse(CtcpMessage::quote(message->command, message->argument));
        FUZZ_CHECK(again && again->command == message->command &&
                   again->argument == message->argument);
    }
    return 0;
}
