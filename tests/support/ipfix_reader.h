// Reads IPFIX messages (RFC 7011) back into flow records, checking their framing on the way: a collector
// of our own for the tests, written from the RFC. Plain C++: the native and end-to-end tests both use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ipfix_reader {

struct Header {
    uint16_t version = 0;
    uint16_t length = 0;
    uint32_t exportTime = 0;
    uint32_t sequence = 0;
    uint32_t domain = 0;
};

// One data record: every element it carried, by element id, as an unsigned number.
struct Record {
    uint16_t templateId = 0;
    std::map<uint16_t, uint64_t> values;
    bool Has(uint16_t element) const { return values.count(element) != 0; }
    uint64_t operator[](uint16_t element) const {
        const auto found = values.find(element);
        return found == values.end() ? 0 : found->second;
    }
};

struct Message {
    Header header;
    bool templates = false; // carried a template set
    std::vector<Record> records;
};

// A collecting process: keeps the templates it has seen, as a collector does between messages.
class Reader {
public:
    // False, with the reason in error, when the message is not well formed or uses an unknown template.
    bool Read(const uint8_t* bytes, std::size_t size, Message& message, std::string& error) {
        message = Message{};
        if (size < 16) {
            error = "shorter than a message header";
            return false;
        }
        Header& header = message.header;
        header.version = Get16(bytes);
        header.length = Get16(bytes + 2);
        header.exportTime = Get32(bytes + 4);
        header.sequence = Get32(bytes + 8);
        header.domain = Get32(bytes + 12);
        if (header.version != 10 || header.length != size) {
            error = "version " + std::to_string(header.version) + ", length " + std::to_string(header.length) +
                    " in a datagram of " + std::to_string(size);
            return false;
        }
        std::size_t at = 16;
        while (at < size) {
            if (size - at < 4) {
                error = "a set header cut short";
                return false;
            }
            const uint16_t setId = Get16(bytes + at);
            const uint16_t setLength = Get16(bytes + at + 2);
            if (setLength < 4 || setLength > size - at) {
                error = "set " + std::to_string(setId) + " of length " + std::to_string(setLength);
                return false;
            }
            const uint8_t* body = bytes + at + 4;
            const std::size_t bodyBytes = setLength - 4u;
            if (setId == 2) {
                message.templates = true;
                if (!ReadTemplates(header.domain, body, bodyBytes, error)) {
                    return false;
                }
            } else if (setId >= 256) {
                if (!ReadData(header.domain, setId, body, bodyBytes, message.records, error)) {
                    return false;
                }
            } else {
                error = "set id " + std::to_string(setId);
                return false;
            }
            at += setLength;
        }
        return true;
    }

private:
    struct Field {
        uint16_t element;
        uint16_t bytes;
    };

    static uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
    static uint32_t Get32(const uint8_t* p) { return static_cast<uint32_t>(Get16(p)) << 16 | Get16(p + 2); }

    bool ReadTemplates(uint32_t domain, const uint8_t* body, std::size_t bytes, std::string& error) {
        std::size_t at = 0;
        while (bytes - at >= 4) {
            const uint16_t id = Get16(body + at);
            const uint16_t count = Get16(body + at + 2);
            at += 4;
            if (id < 256 || count == 0 || bytes - at < 4u * count) {
                error = "template " + std::to_string(id) + " with " + std::to_string(count) + " fields";
                return false;
            }
            std::vector<Field> fields;
            for (uint16_t i = 0; i < count; ++i, at += 4) {
                const Field field{Get16(body + at), Get16(body + at + 2)};
                if ((field.element & 0x8000) != 0 || field.bytes == 0 || field.bytes > 8) {
                    error = "field " + std::to_string(field.element) + " of " + std::to_string(field.bytes) + " bytes";
                    return false;
                }
                fields.push_back(field);
            }
            templates_[{domain, id}] = fields;
        }
        return true;
    }

    bool ReadData(uint32_t domain, uint16_t id, const uint8_t* body, std::size_t bytes, std::vector<Record>& records,
                  std::string& error) {
        const auto found = templates_.find({domain, id});
        if (found == templates_.end()) {
            error = "data set " + std::to_string(id) + " before its template";
            return false;
        }
        std::size_t recordBytes = 0;
        for (const Field& field : found->second) {
            recordBytes += field.bytes;
        }
        // What is left after the last whole record can only be padding (RFC 7011 section 3.3.1).
        std::size_t at = 0;
        for (; bytes - at >= recordBytes; at += recordBytes) {
            Record record;
            record.templateId = id;
            std::size_t offset = at;
            for (const Field& field : found->second) {
                uint64_t value = 0;
                for (uint16_t i = 0; i < field.bytes; ++i) {
                    value = value << 8 | body[offset + i];
                }
                record.values[field.element] = value;
                offset += field.bytes;
            }
            records.push_back(record);
        }
        for (; at < bytes; ++at) {
            if (body[at] != 0) {
                error = "data set " + std::to_string(id) + " ends inside a record";
                return false;
            }
        }
        return true;
    }

    std::map<std::pair<uint32_t, uint16_t>, std::vector<Field>> templates_;
};

} // namespace ipfix_reader
