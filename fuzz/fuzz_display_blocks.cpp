// Arbitrary bytes as the display module's answers to block reads. Each
// answer is decoded by the program's block walker into a plain value map,
// and then, as the write after a read does, encoded again (with NoWrite ON,
// so nothing is sent). Checked: a refused answer changes no value and no
// byte of the block's image; an accepted one becomes the image; and every
// number read goes back into the same bytes, so a write after a read never
// changes what the user did not touch.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hart/display_blocks.h"
#include "hart/raw_values.h"
#include "hart/wire_values.h"
#include "support/headless_program.h"

namespace {

// Not inlined, so that a report names the line of the failed check.
[[gnu::noinline]] void require(bool condition) {
    if (!condition) std::abort();
}

// Answers every request with the next answer of the input.
class FakeSender final : public zh::RequestSender {
  public:
    int sendRequest(std::uint8_t, const QByteArray&, int, QByteArray* response, int) override {
        *response = answer;
        return result;
    }
    std::uint8_t resCode1() const override { return code1; }
    std::uint8_t resCode2() const override { return 0; }

    QByteArray answer;
    int result = 0;
    std::uint8_t code1 = 0;
};

bool printable(const QByteArray& image, const zh::BlockItem& item) {
    for (int i = item.offset; i < item.offset + item.width; ++i) {
        const auto b = static_cast<std::uint8_t>(image.at(i));
        if (b == 0) return true;
        if (b < 0x20 || b > 0x7E) return false;
    }
    return true;
}

// The write of a block just read: refused only for a text the display
// holds that is no printable ASCII, and otherwise every item but the fixed
// ones and the texts goes back byte for byte.
void checkWriteBack(zh::DisplayBlocks& blocks, const zh::BlockLayout& layout,
                    const QByteArray& answer) {
    bool textsPrintable = true;
    for (const zh::BlockItem& item : layout.items)
        if (item.coding == zh::BlockCoding::Text && item.use == zh::BlockUse::Field)
            textsPrintable = textsPrintable && printable(answer, item);
    const int written = blocks.writeBlock(layout.number, 1);
    if (written == zh::kResultValueRefused) {
        require(!textsPrintable);
        return;
    }
    require(written == zh::kResultNotSent);
    const QByteArray image = blocks.image(layout.number);
    require(image.size() == zh::block::kSize && image.at(0) == answer.at(0));
    require(image.at(zh::block::kVersionOffset) == answer.at(zh::block::kVersionOffset));
    for (const zh::BlockItem& item : layout.items) {
        if (item.use == zh::BlockUse::Fixed || item.coding == zh::BlockCoding::Text) continue;
        require(image.mid(item.offset, item.width) == answer.mid(item.offset, item.width));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zh::fuzz::HeadlessProgram h;
    zh::Program& p = h.program;
    p.log.clearView();
    p.state.NoWrite = QStringLiteral("ON");
    zh::RawValueMap values;
    FakeSender sender;
    zh::DisplayBlocks blocks(p, values, sender);
    const std::vector<zh::BlockLayout>& layouts = zh::blockLayouts();

    // Each answer: a selector byte (the block asked for), a flags byte
    // (bit 7: the session fails; bit 6: a response code; bit 5: the answer
    // keeps its own first byte instead of the block number; bits 0..4 with
    // bit 4 set: a wrong length), then the answer's bytes.
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t selector = data[at];
        const std::uint8_t flags = data[at + 1];
        at += 2;
        const int length = (flags & 0x10) ? (flags & 0x0F) * 2 : zh::block::kSize;
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), size - at);
        sender.answer = QByteArray(reinterpret_cast<const char*>(data + at), static_cast<int>(n));
        at += n;
        const bool logged = selector == 0xFF;
        const zh::BlockLayout& layout =
            logged ? *zh::blockLayout(12) : layouts[selector % layouts.size()];
        if (!(flags & 0x20) && !sender.answer.isEmpty())
            sender.answer[0] = static_cast<char>(layout.number);
        sender.result = (flags & 0x80) ? 1 + flags % 10 : 0;
        sender.code1 = (flags & 0x40) ? flags & 0x3F : 0;

        const QHash<QString, QString> valuesBefore = values.values;
        const QByteArray imageBefore = blocks.image(layout.number);
        const int read = logged ? blocks.readBlock12Logged(1) : blocks.readBlock(layout.number, 1);
        const bool wellFormed = sender.result == 0 && sender.code1 == 0 &&
                                sender.answer.size() == zh::block::kSize &&
                                static_cast<std::uint8_t>(sender.answer.at(0)) == layout.number;
        require((read == 0) == wellFormed);
        if (read != 0) {
            require(values.values == valuesBefore && blocks.image(layout.number) == imageBefore);
            continue;
        }
        if (logged) {
            require(blocks.loggedImage() == sender.answer && blocks.image(12) == imageBefore);
            continue;
        }
        require(blocks.image(layout.number) == sender.answer &&
                blocks.response(layout.number) == sender.answer);
        if (layout.writable) checkWriteBack(blocks, layout, sender.answer);
    }
    return 0;
}
