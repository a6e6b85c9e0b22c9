// The mnemonic: any text gives one character per character, each the character itself or a capital
// letter; the command line takes any bytes, byte-order marks and line ends included.
#include "FuzzInput.h"
#include "MnemonicCommand.h"
#include "PinyinInitial.h"

#include <cstdio>

namespace {

qsizetype characters(const QString &text)
{
    return text.toUcs4().size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzTexts(data, size, 1).at(0);
    const QString mnemonic = MnemonicOf(text);
    FUZZ_REQUIRE(characters(mnemonic) == characters(text));
    const QList<uint> in = text.toUcs4();
    const QList<uint> out = mnemonic.toUcs4();
    for (qsizetype i = 0; i < in.size(); ++i)
        FUZZ_REQUIRE(out[i] == in[i] || (out[i] >= 'A' && out[i] <= 'Z'));

    FILE *input = fmemopen(const_cast<uint8_t *>(data), size, "r");
    FILE *output = std::fopen("/dev/null", "w");
    if (input && output)
        FUZZ_REQUIRE(RunMnemonicCommand({}, input, output) == 0);
    if (input)
        std::fclose(input);
    if (output)
        std::fclose(output);
    return 0;
}
