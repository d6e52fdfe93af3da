#include "formats/szdd.h"

#include <algorithm>
#include <cstring>

namespace {

// The encoder sees the ring as a flat history: kSzddRingSize spaces followed by the input, so
// that history index h sits in ring slot (h + kSzddRingStart) % kSzddRingSize. A distance of
// the full ring size would point at the slot being written; staying one short of it keeps clear
// of how a decoder orders that read and write.
constexpr uint32_t kMaxDistance = kSzddRingSize - 1;
constexpr uint32_t kNil = UINT32_MAX;
// Bounds the walk down a degenerate tree; real data rarely goes deeper than a few dozen nodes.
constexpr uint32_t kMaxTreeDepth = 1024;
// Parsing is optimal within a block; blocks bound the per-position tables on large inputs.
constexpr size_t kParseBlock = size_t{1} << 16;
constexpr uint32_t kLiteralBits = 9;
constexpr uint32_t kMatchBits = 17;

static_assert((kSzddRingSize & (kSzddRingSize - 1)) == 0, "ring index uses a mask");
static_assert(kMaxDistance < kSzddRingSize, "tree slots are recycled after a full ring");
static_assert(kSzddMaxMatch - kSzddMinMatch <= 0x0F, "length lives in four bits");

// Binary search tree over the history, re-rooted at every inserted position, so that walking
// down always reaches older positions: the first node beyond kMaxDistance ends the walk.
struct MatchFinder {
    std::vector<uint32_t> root; // per two-byte prefix: newest position with it
    std::vector<uint32_t> son;  // two children per ring slot
};

struct Match {
    uint32_t length;
    uint32_t distance;
};

void InitMatchFinder(MatchFinder& finder) {
    finder.root.assign(size_t{1} << 16, kNil);
    finder.son.assign(size_t{2} * kSzddRingSize, kNil);
}

// Inserts history position `pos` and returns its longest match (length 0 when below the
// minimum); ties go to the nearest position.
Match FindAndInsert(MatchFinder& finder, const uint8_t* hist, uint32_t total, uint32_t pos) {
    Match best = {0, 0};
    const uint32_t limit = std::min<uint32_t>(kSzddMaxMatch, total - pos);
    if (limit < kSzddMinMatch) return best;

    const uint32_t key = hist[pos] | (uint32_t{hist[pos + 1]} << 8);
    uint32_t candidate = finder.root[key];
    finder.root[key] = pos;

    uint32_t* smaller = &finder.son[2 * (pos & (kSzddRingSize - 1))];
    uint32_t* larger = smaller + 1;
    uint32_t smallerLen = 0;
    uint32_t largerLen = 0;
    for (uint32_t depth = 0;; ++depth) {
        if (candidate == kNil || pos - candidate > kMaxDistance || depth == kMaxTreeDepth) {
            *smaller = kNil;
            *larger = kNil;
            return best;
        }
        uint32_t* pair = &finder.son[2 * (candidate & (kSzddRingSize - 1))];
        uint32_t len = std::min(smallerLen, largerLen);
        while (len < limit && hist[candidate + len] == hist[pos + len])
            ++len;
        if (len > best.length) best = {len, pos - candidate};
        if (len == limit) {
            // Equal as far as we can look: the new node takes over the old one's subtrees.
            *smaller = pair[0];
            *larger = pair[1];
            return best;
        }
        if (hist[candidate + len] < hist[pos + len]) {
            *smaller = candidate;
            smaller = &pair[1];
            candidate = *smaller;
            smallerLen = len;
        } else {
            *larger = candidate;
            larger = &pair[0];
            candidate = *larger;
            largerLen = len;
        }
    }
}

struct Emitter {
    std::vector<uint8_t>* out;
    size_t controlAt;
    uint32_t items;
};

void EmitItemStart(Emitter& emitter) {
    if (emitter.items % 8 == 0) {
        emitter.controlAt = emitter.out->size();
        emitter.out->push_back(0);
    }
}

void EmitLiteral(Emitter& emitter, uint8_t value) {
    EmitItemStart(emitter);
    (*emitter.out)[emitter.controlAt] |= static_cast<uint8_t>(1u << (emitter.items % 8));
    emitter.out->push_back(value);
    ++emitter.items;
}

void EmitMatch(Emitter& emitter, uint32_t source, uint32_t length) {
    EmitItemStart(emitter);
    const uint32_t slot = (source + kSzddRingStart) & (kSzddRingSize - 1);
    emitter.out->push_back(static_cast<uint8_t>(slot & 0xFF));
    emitter.out->push_back(static_cast<uint8_t>(((slot >> 4) & 0xF0) | (length - kSzddMinMatch)));
    ++emitter.items;
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

const char* SzddStatusText(SzddStatus status) {
    switch (status) {
    case SzddStatus::Ok: return "ok";
    case SzddStatus::HeaderTooShort: return "header too short: fewer than 14 bytes";
    case SzddStatus::NotSzdd: return "not an SZDD compressed file (wrong signature)";
    case SzddStatus::UnknownMode: return "unknown compression mode (only 'A' is known)";
    case SzddStatus::TooLarge: return "declared length is larger than 256 MiB";
    case SzddStatus::Truncated: return "stream ends early: fewer bytes than the header's length";
    case SzddStatus::CutMatch: return "stream ends inside a match reference";
    case SzddStatus::ExtraData: return "data beyond the header's length";
    }
    return "unknown status";
}

SzddStatus SzddReadHeader(const uint8_t* in, size_t n, SzddHeader& header) {
    const auto size = static_cast<uint32_t>(std::min<size_t>(n, kSzddHeaderSize));
    switch (SzddParseHeader(in, size, &header)) {
    case SzddHeaderStatus::Ok: return SzddStatus::Ok;
    case SzddHeaderStatus::TooShort: return SzddStatus::HeaderTooShort;
    case SzddHeaderStatus::UnknownMode: return SzddStatus::UnknownMode;
    case SzddHeaderStatus::NotSzdd: break;
    }
    return SzddStatus::NotSzdd;
}

uint64_t SzddMaxExpansion(size_t streamBytes) {
    constexpr uint64_t kGroupBytes = 1 + 8 * 2;
    const uint64_t groups = streamBytes / kGroupBytes;
    const uint64_t rest = streamBytes % kGroupBytes;
    uint64_t total = groups * 8 * kSzddMaxMatch;
    if (rest > 1) total += (rest - 1) / 2 * kSzddMaxMatch + (rest - 1) % 2;
    return total;
}

bool SzddCompress(const uint8_t* in, size_t n, char lastNameChar, std::vector<uint8_t>& out) {
    out.clear();
    if (n > kSzddMaxExpanded) return false;

    out.reserve(kSzddHeaderSize + n + n / 8 + 2);
    out.insert(out.end(), std::begin(kSzddMagic), std::end(kSzddMagic));
    out.push_back(kSzddModeA);
    out.push_back(static_cast<uint8_t>(lastNameChar));
    PutLe32(out, static_cast<uint32_t>(n));

    std::vector<uint8_t> hist(kSzddRingSize + n, kSzddRingFill);
    if (n > 0) std::memcpy(hist.data() + kSzddRingSize, in, n);
    const uint32_t total = static_cast<uint32_t>(hist.size());

    MatchFinder finder;
    InitMatchFinder(finder);
    for (uint32_t pos = 0; pos < kSzddRingSize; ++pos)
        FindAndInsert(finder, hist.data(), total, pos);

    Emitter emitter = {&out, 0, 0};
    std::vector<Match> matches(std::min(n, kParseBlock));
    std::vector<uint32_t> cost(matches.size() + 1);
    std::vector<uint8_t> choice(matches.size()); // 0 literal, else match length
    for (size_t begin = 0; begin < n; begin += kParseBlock) {
        const size_t count = std::min(kParseBlock, n - begin);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t pos = static_cast<uint32_t>(kSzddRingSize + begin + i);
            matches[i] = FindAndInsert(finder, hist.data(), total, pos);
        }
        // Every length from the minimum up to the longest match is available at the same
        // distance, and an item's cost does not depend on its distance: the cheapest parse of
        // the block follows from the longest match at each position.
        cost[count] = 0;
        for (size_t i = count; i-- > 0;) {
            cost[i] = cost[i + 1] + kLiteralBits;
            choice[i] = 0;
            const uint32_t longest =
                std::min<uint32_t>(matches[i].length, static_cast<uint32_t>(count - i));
            for (uint32_t len = kSzddMinMatch; len <= longest; ++len) {
                if (kMatchBits + cost[i + len] <= cost[i]) {
                    cost[i] = kMatchBits + cost[i + len];
                    choice[i] = static_cast<uint8_t>(len);
                }
            }
        }
        for (size_t i = 0; i < count;) {
            const uint32_t pos = static_cast<uint32_t>(kSzddRingSize + begin + i);
            if (choice[i] == 0) {
                EmitLiteral(emitter, hist[pos]);
                ++i;
            } else {
                EmitMatch(emitter, pos - matches[i].distance, choice[i]);
                i += choice[i];
            }
        }
    }
    return true;
}

SzddStatus SzddExpand(const uint8_t* in, size_t n, std::vector<uint8_t>& out, SzddHeader* header) {
    out.clear();
    SzddHeader head = {};
    const SzddStatus headStatus = SzddReadHeader(in, n, head);
    if (headStatus == SzddStatus::Ok || headStatus == SzddStatus::UnknownMode) {
        if (header != nullptr) *header = head;
    }
    if (headStatus != SzddStatus::Ok) return headStatus;
    if (head.expandedLength > kSzddMaxExpanded) return SzddStatus::TooLarge;

    // A lying header costs no memory: what the stream can produce bounds the reservation.
    const size_t want = head.expandedLength;
    out.reserve(
        static_cast<size_t>(std::min<uint64_t>(want, SzddMaxExpansion(n - kSzddHeaderSize))));
    uint8_t ring[kSzddRingSize];
    std::memset(ring, kSzddRingFill, sizeof ring);
    uint32_t slot = kSzddRingStart;
    size_t done = 0;
    size_t at = kSzddHeaderSize;
    SzddStatus status = SzddStatus::Ok;
    while (at < n && status == SzddStatus::Ok) {
        if (done == want) {
            // A lone control byte at the very end carries no data (other packers write one
            // for an empty file); anything more is data beyond the declared length.
            if (n - at > 1) status = SzddStatus::ExtraData;
            break;
        }
        const uint8_t control = in[at++];
        for (uint32_t bit = 0; bit < 8 && at < n; ++bit) {
            if (done == want) {
                status = SzddStatus::ExtraData;
                break;
            }
            if (control & (1u << bit)) {
                const uint8_t value = in[at++];
                ring[slot] = value;
                slot = (slot + 1) & (kSzddRingSize - 1);
                out.push_back(value);
                ++done;
                continue;
            }
            if (n - at < 2) {
                status = SzddStatus::CutMatch;
                break;
            }
            uint32_t from = in[at] | ((uint32_t{in[at + 1]} & 0xF0) << 4);
            const uint32_t length = (in[at + 1] & 0x0Fu) + kSzddMinMatch;
            at += 2;
            if (length > want - done) {
                status = SzddStatus::ExtraData;
                break;
            }
            for (uint32_t k = 0; k < length; ++k) {
                const uint8_t value = ring[from];
                from = (from + 1) & (kSzddRingSize - 1);
                ring[slot] = value;
                slot = (slot + 1) & (kSzddRingSize - 1);
                out.push_back(value);
                ++done;
            }
        }
    }
    if (status == SzddStatus::Ok && done < want) status = SzddStatus::Truncated;
    return status;
}

char SzddLastNameChar(const char* path) {
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\' || *p == ':') base = p + 1;
    }
    const char* dot = std::strrchr(base, '.');
    if (dot == nullptr || dot == base || dot[1] == '\0') return 0;
    return base[std::strlen(base) - 1];
}
