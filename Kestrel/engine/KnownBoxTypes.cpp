#include "engine/KnownBoxTypes.h"

#include <stdexcept>

namespace kestrel {

const char* const KnownBoxTypes::kTable[kTableSize] = {
    "ainf", "avcn", "bloc", "bpcc", "buff", "bxml", "ccid", "cdef", "clip", "cmap", "co64", "colr",
    "crgn", "crhd", "cslg", "ctab", "ctts", "cvru", "dinf", "dref", "dsgd", "dstg", "edts", "elst",
    "fdel", "feci", "fecr", "fiin", "fire", "fpar", "free", "frma", "ftyp", "gitn", "grpi", "hdlr",
    "hmhd", "hpix", "icnu", "ID32", "idat", "ihdr", "iinf", "iloc", "imap", "imif", "infe", "infu",
    "iods", "iphd", "ipmc", "ipro", "iref", "jP  ", "jp2c", "jp2h", "jp2i", "kmat", "leva", "load",
    "lrcu", "m7hd", "matt", "mdat", "mdhd", "mdia", "mdri", "meco", "mehd", "mere", "meta", "mfhd",
    "mfra", "mfro", "minf", "mjhd", "moof", "moov", "mvcg", "mvci", "mvex", "mvhd", "mvra", "nmhd",
    "ochd", "odaf", "odda", "odhd", "odhe", "odrb", "odrm", "odtt", "ohdr", "padb", "paen", "pclr",
    "pdin", "pitm", "pnot", "prft", "res ", "resc", "resd", "rinf", "saio", "saiz", "sbgp", "schi",
    "schm", "sdep", "sdhd", "sdtp", "sdvp", "segr", "senc", "sgpd", "sidx", "sinf", "skip", "smhd",
    "srmb", "srmc", "srpp", "ssix", "stbl", "stco", "stdp", "sthd", "strd", "stri", "stsc", "stsd",
    "stsg", "stsh", "stss", "stsz", "stts", "styp", "stz2", "subs", "swtc", "tfad", "tfdt", "tfhd",
    "tfma", "tfra", "tibr", "tiri", "tkhd", "traf", "trak", "tref", "trex", "trgr", "trik", "trun",
    "udta", "uinf", "UITS", "ulst", "url ", "uuid", "vmhd", "vwdi", "xml ", "xml ", "udat", "ICAT",
};

void KnownBoxTypes::Build() {
    Free();
    for (const char* code : kTable) {
        // The table is fixed: a code that does not fit the tree is a programming error.
        if (!Insert(code))
            throw std::logic_error("box type table does not fit its tree");
    }
}

void KnownBoxTypes::Free() {
    levels_.clear();
    nodes_.clear();
}

int KnownBoxTypes::FindBelow(const std::vector<uint16_t>& below, char c) const {
    for (uint16_t index : below) {
        if (nodes_[index].Character == c)
            return index;
    }
    return -1;
}

bool KnownBoxTypes::Insert(const char code[4]) {
    std::vector<uint16_t>* below = &levels_;
    // Four character levels, then the terminator level (character 0).
    for (int level = 0; level <= kLevels; ++level) {
        const char c = level < kLevels ? code[level] : '\0';
        int found = FindBelow(*below, c);
        if (found < 0) {
            if (below->size() >= kMaxFanOut)
                return false;
            found = static_cast<int>(nodes_.size());
            below->push_back(static_cast<uint16_t>(found));
            nodes_.push_back(Node{c, {}});
        }
        below = &nodes_[static_cast<size_t>(found)].Below;
    }
    return true;
}

bool KnownBoxTypes::Contains(const char code[4]) const {
    const std::vector<uint16_t>* below = &levels_;
    for (int level = 0; level <= kLevels; ++level) {
        const char c = level < kLevels ? code[level] : '\0';
        const int found = FindBelow(*below, c);
        if (found < 0)
            return false;
        below = &nodes_[static_cast<size_t>(found)].Below;
    }
    return true;
}

bool KnownBoxTypes::Contains(std::string_view code) const {
    return code.size() == 4 && Contains(code.data());
}

const KnownBoxTypes& KnownBoxTypes::Shared() {
    static const KnownBoxTypes shared = [] {
        KnownBoxTypes types;
        types.Build();
        return types;
    }();
    return shared;
}

} // namespace kestrel
