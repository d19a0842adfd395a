#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

using platform::TUniqueDir;
using platform::TUniqueFd;

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

int OpenNull() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

TEST(UniqueFd, ClosesExactlyOnceWhoeverOwnsIt) {
    int first = -1;
    int second = -1;
    {
        TUniqueFd a(OpenNull());
        first = a.Get();
        ASSERT_TRUE(IsOpen(first));
        TUniqueFd b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.Get(), first);

        TUniqueFd c(OpenNull());
        second = c.Get();
        c = std::move(b);  // the descriptor c held goes
        EXPECT_FALSE(IsOpen(second));
        EXPECT_EQ(c.Get(), first);
        auto& alias = c;
        c = std::move(alias);
        EXPECT_TRUE(IsOpen(first)) << "a move onto itself closed the descriptor";

        c.Reset(first);
        EXPECT_TRUE(IsOpen(first)) << "taking the descriptor it holds closed it";
    }
    EXPECT_FALSE(IsOpen(first));
}

TEST(UniqueFd, ReleaseAndResetHandOver) {
    TUniqueFd holder(OpenNull());
    const int fd = holder.Release();
    EXPECT_FALSE(holder);
    EXPECT_TRUE(IsOpen(fd));

    holder.Reset(fd);
    const int other = OpenNull();
    holder.Reset(other);
    EXPECT_FALSE(IsOpen(fd));
    EXPECT_TRUE(IsOpen(other));
    holder.Reset();
    EXPECT_FALSE(IsOpen(other));
    EXPECT_TRUE(holder.Close()) << "an empty holder has nothing to fail";
}

TEST(UniqueFd, CloseReportsAFailureOnceAndResetKeepsErrno) {
    TUniqueFd holder(OpenNull());
    ::close(holder.Get());  // behind the holder's back
    errno = 0;
    EXPECT_FALSE(holder.Close());
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(holder);
    EXPECT_TRUE(holder.Close()) << "a failed close is never repeated";

    // A descriptor closed while an error is being reported leaves the error alone.
    TUniqueFd broken(OpenNull());
    ::close(broken.Get());
    errno = ECONNREFUSED;
    broken.Reset();
    EXPECT_EQ(errno, ECONNREFUSED);
}

TEST(UniqueFd, DirectoryStreamClosesWithItsOwner) {
    int fd = -1;
    {
        const TUniqueDir dir(::opendir("/"));
        ASSERT_TRUE(dir);
        fd = ::dirfd(dir.Get());
        EXPECT_TRUE(IsOpen(fd));
    }
    EXPECT_FALSE(IsOpen(fd));
    EXPECT_FALSE(TUniqueDir(::opendir("/no/such/directory")));
}

}  // namespace
