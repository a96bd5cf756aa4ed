#pragma once
// Reading FITS files through CFITSIO: a file open for reading that closes
// itself, and CFITSIO's text for a status.

#include <fitsio.h>

#include <QString>

namespace diffrascope::frontend {

// A FITS file open for reading that closes itself; status follows CFITSIO's convention.
class OpenFits {
  public:
    explicit OpenFits(const QString &path) {
        fits_open_diskfile(&file_, path.toLocal8Bit().constData(), READONLY, &status_); // no extended-name syntax
    }
    ~OpenFits() {
        if (file_ != nullptr) {
            int ignored = 0;
            fits_close_file(file_, &ignored);
        }
    }
    OpenFits(const OpenFits &) = delete;
    OpenFits &operator=(const OpenFits &) = delete;

    fitsfile *File() { return file_; }
    int &Status() { return status_; }

  private:
    fitsfile *file_ = nullptr;
    int status_ = 0;
};

inline QString CfitsioText(int status) {
    char text[FLEN_STATUS];
    fits_get_errstatus(status, text);
    return QString::fromLatin1(text);
}

} // namespace diffrascope::frontend
