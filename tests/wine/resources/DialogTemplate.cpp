#include "DialogTemplate.h"

#include <cstring>
#include <cwchar>

namespace velmaric_test {
namespace {

// Sequential reader over the template bytes; every read checks the bounds.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    size_t pos() const { return m_pos; }

    template <typename T>
    T read() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    void skip(size_t n) {
        if (m_pos + n > m_size) m_ok = false;
        else m_pos += n;
    }

    // Items start on a 32-bit boundary from the start of the template.
    void alignDword() {
        size_t aligned = (m_pos + 3) & ~size_t(3);
        if (aligned > m_size) m_ok = false;
        else m_pos = aligned;
    }

    std::wstring readString() {
        std::wstring s;
        for (;;) {
            uint16_t c = read<uint16_t>();
            if (!m_ok || c == 0) return s;
            s.push_back(static_cast<wchar_t>(c));
        }
    }

    // Menu, class or title: nothing, an ordinal (0xFFFF, n) or a string.
    std::wstring readStringOrOrdinal(bool& isOrdinal, uint16_t& ordinal) {
        isOrdinal = false;
        ordinal = 0;
        if (m_pos + 2 > m_size) {
            m_ok = false;
            return {};
        }
        uint16_t first;
        std::memcpy(&first, m_data + m_pos, 2);
        if (first == 0) {
            m_pos += 2;
            return {};
        }
        if (first == 0xFFFF) {
            m_pos += 2;
            isOrdinal = true;
            ordinal = read<uint16_t>();
            return L"#" + std::to_wstring(ordinal);
        }
        return readString();
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

std::wstring PredefinedClassName(uint16_t atom) {
    switch (atom) {
    case 0x0080: return L"Button";
    case 0x0081: return L"Edit";
    case 0x0082: return L"Static";
    case 0x0083: return L"ListBox";
    case 0x0084: return L"ScrollBar";
    case 0x0085: return L"ComboBox";
    default: return L"#" + std::to_wstring(atom);
    }
}

// Class names given as text are compared by their canonical spelling.
std::wstring CanonicalClassName(const std::wstring& name) {
    static const wchar_t* const known[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    for (const wchar_t* k : known) {
        if (_wcsicmp(name.c_str(), k) == 0) return k;
    }
    return name;
}

constexpr uint32_t kSetFont = 0x40L;  // DS_SETFONT (DS_SHELLFONT includes it)

}  // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out, std::string& error) {
    out = DialogTemplate{};
    Reader r(static_cast<const uint8_t*>(data), size);

    uint16_t version = r.read<uint16_t>();
    uint16_t signature = r.read<uint16_t>();
    out.extended = r.ok() && version == 1 && signature == 0xFFFF;
    uint16_t count = 0;
    if (out.extended) {
        r.read<uint32_t>();  // help id
        out.exStyle = r.read<uint32_t>();
        out.style = r.read<uint32_t>();
    } else {
        out.style = static_cast<uint32_t>(version) | (static_cast<uint32_t>(signature) << 16);
        out.exStyle = r.read<uint32_t>();
    }
    count = r.read<uint16_t>();
    out.x = r.read<int16_t>();
    out.y = r.read<int16_t>();
    out.cx = r.read<int16_t>();
    out.cy = r.read<int16_t>();

    bool isOrdinal;
    uint16_t ordinal;
    out.menu = r.readStringOrOrdinal(isOrdinal, ordinal);
    out.className = r.readStringOrOrdinal(isOrdinal, ordinal);
    out.title = r.readStringOrOrdinal(isOrdinal, ordinal);
    if (out.style & kSetFont) {
        out.hasFont = true;
        out.pointSize = r.read<uint16_t>();
        if (out.extended) {
            out.weight = r.read<uint16_t>();
            out.italic = r.read<uint8_t>();
            out.charset = r.read<uint8_t>();
        }
        out.typeface = r.readString();
    }
    if (!r.ok()) {
        error = "dialog header runs past the end of the resource";
        return false;
    }

    for (uint16_t i = 0; i < count; ++i) {
        DialogItem item;
        r.alignDword();
        if (out.extended) {
            r.read<uint32_t>();  // help id
            item.exStyle = r.read<uint32_t>();
            item.style = r.read<uint32_t>();
        } else {
            item.style = r.read<uint32_t>();
            item.exStyle = r.read<uint32_t>();
        }
        item.x = r.read<int16_t>();
        item.y = r.read<int16_t>();
        item.cx = r.read<int16_t>();
        item.cy = r.read<int16_t>();
        if (out.extended) item.id = r.read<int32_t>();
        else item.id = r.read<int16_t>();

        std::wstring cls = r.readStringOrOrdinal(isOrdinal, ordinal);
        item.className = isOrdinal ? PredefinedClassName(ordinal) : CanonicalClassName(cls);
        item.text = r.readStringOrOrdinal(isOrdinal, ordinal);

        uint16_t extra = r.read<uint16_t>();
        if (out.extended) {
            r.skip(extra);
        } else if (extra > 2) {
            r.skip(extra - 2u);  // the count includes its own word here
        }
        if (!r.ok()) {
            error = "item " + std::to_string(i) + " runs past the end of the resource";
            return false;
        }
        out.items.push_back(item);
    }
    return true;
}

}  // namespace velmaric_test
