// The settings file: any file reads without harm into whole lines, and a
// file this program saved reads back as the same twelve values.
#include "core/wire/settingsfile.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzzInput(data, size);
    for (const QString& line : SettingsFile::parse(bytes))
        FUZZ_CHECK(!line.contains(u'\n'));

    // Twelve values as the options dialog can hold them: any text without a
    // line break.
    QStringList values = QString::fromUtf8(bytes).split(u'\n');
    values.resize(12);
    for (QString& value : values)
        value.remove(u'\r');
    const QStringList reread = SettingsFile::parse(SettingsFile::serialize(values));
    FUZZ_CHECK(reread == values);
    return 0;
}
