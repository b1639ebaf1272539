// The input reader: lines are assembled from text-mode pieces of at most 128
// bytes, which is what gives a NUL byte its effect on the line it is in.

#include "input_reader.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

constexpr std::size_t kPieceBytes = 128;
constexpr int kPreviewAttempts = 12;

} // namespace

CInputReader::CInputReader(const std::string& path)
    : m_text(platform::CFile::OpenExclusiveForReading(path)), m_bOpen(m_text.IsOpen()) {}

bool CInputReader::ReadLine(std::string& line) {
    if (!m_bOpen) {
        return false;
    }
    // The first piece goes behind the caller's old text, which is dropped
    // only once a byte has been read, so that line stays unchanged at the end.
    const std::size_t old = line.size();
    std::size_t got = m_text.ReadPiece(line, kPieceBytes);
    if (got == 0) {
        return false;
    }
    line.erase(0, old);
    std::size_t pieceStart = 0;
    for (;;) {
        const char* piece = line.data() + pieceStart;
        if (const void* nul = std::memchr(piece, '\0', got); nul != nullptr) {
            // The text ends at the NUL; the rest of this piece is dropped.
            // A line that is empty for it is still a line.
            line.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - line.data()));
            return true;
        }
        if (piece[got - 1] == '\n') {
            line.resize(line.size() - 1);
            return true;
        }
        if (got < kPieceBytes) {
            return true; // the input ended inside the piece
        }
        pieceStart = line.size();
        got = m_text.ReadPiece(line, kPieceBytes);
        if (got == 0) {
            return true;
        }
    }
}

std::string CInputReader::ReadPreview() {
    std::string preview;
    std::string line;
    for (int attempt = 0; attempt < kPreviewAttempts; ++attempt) {
        if (ReadLine(line)) {
            preview += line;
            preview += "\r\n";
        }
    }
    if (IsDecoded()) {
        std::ranges::replace(preview, kLackingCharacter, '?');
    }
    return preview;
}

} // namespace velmora
