// Why an image was refused. Every reader and rewriter failure is one of
// these, thrown before any output exists, so a caller never writes a file
// made from an image it could not parse.
#pragma once

#include <stdexcept>
#include <string>

enum class ImageErrorKind {
    NotPortableExecutable,  // no MZ or PE signature, or headers that are not a PE32/PE32+ image
    NoResourceSection,      // a valid image that has no resource directory
    DamagedResources,       // the resource directory exists but cannot be trusted
    CannotRewrite,          // a valid image whose layout this rewriter refuses to change
};

class ImageError : public std::runtime_error {
public:
    ImageError(ImageErrorKind kind, const std::string& detail)
        : std::runtime_error(Prefix(kind) + detail), m_kind(kind) {}

    ImageErrorKind kind() const { return m_kind; }

private:
    static std::string Prefix(ImageErrorKind kind) {
        switch (kind) {
        case ImageErrorKind::NotPortableExecutable: return "not a PE file: ";
        case ImageErrorKind::NoResourceSection: return "no resource section: ";
        case ImageErrorKind::DamagedResources: return "damaged resource directory: ";
        case ImageErrorKind::CannotRewrite: return "cannot rewrite the resources: ";
        }
        return "";
    }

    ImageErrorKind m_kind;
};
