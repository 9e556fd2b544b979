// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <memory>

// A folder's listing read from a descriptor already held, so that the
// folder is not looked up by name a second time.
struct CloseFolderListing
{
    void operator()(DIR *listing) const { ::closedir(listing); }
};
using FolderListing = std::unique_ptr<DIR, CloseFolderListing>;

// The listing of the folder fd, which it takes over; none where fd is -1 or
// cannot be listed, with fd closed and errno saying why.
inline FolderListing listFolder(UniqueFd fd)
{
    FolderListing listing(fd.get() < 0 ? nullptr : ::fdopendir(fd.get()));
    if (listing) {
        fd.release(); // closedir closes it
    } else {
        const int error = errno;
        fd.reset();
        errno = error;
    }
    return listing;
}
