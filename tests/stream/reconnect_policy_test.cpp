#include <gtest/gtest.h>

#include "player/stream/session/reconnect_policy.h"

using namespace zarvio::stream;

TEST(FailurePolicy, NetworkTroubleIsRetriedAndRefusalsAreFinal) {
    for (FailureCause cause : {FailureCause::DnsFailure, FailureCause::ConnectionRefused, FailureCause::Timeout,
                               FailureCause::Stall, FailureCause::Dropped, FailureCause::InvalidResponse,
                               FailureCause::Other}) {
        EXPECT_FALSE(IsFinal({cause})) << static_cast<int>(cause);
    }
    for (FailureCause cause : {FailureCause::Certificate, FailureCause::TooManyRedirects, FailureCause::BadAddress,
                               FailureCause::Undecodable, FailureCause::NoDecoder, FailureCause::BadPlaylist,
                               FailureCause::Unsupported}) {
        EXPECT_TRUE(IsFinal({cause})) << static_cast<int>(cause);
    }
}

TEST(FailurePolicy, OnlyPassingHttpRefusalsAreRetried) {
    for (int status : {408, 429, 502, 503, 504}) {
        EXPECT_FALSE(IsFinal({FailureCause::HttpStatus, status})) << status;
    }
    for (int status : {400, 401, 403, 404, 407, 409, 410, 451, 499, 500, 501, 505, 511, 599, 300, 0}) {
        EXPECT_TRUE(IsFinal({FailureCause::HttpStatus, status})) << status;
    }
}

TEST(ReconnectBackoff, DoublesFromHalfASecondThenWaitsFifteenSeconds) {
    ReconnectBackoff backoff;
    EXPECT_EQ(backoff.Attempts(), 0);
    const uint32_t expected[] = {500, 1000, 2000, 4000, 8000, 15000, 15000, 15000};
    for (uint32_t ms : expected) EXPECT_EQ(backoff.NextDelayMs(), ms);
    EXPECT_EQ(backoff.Attempts(), 8);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(backoff.NextDelayMs(), 15000u);
    backoff.Reset();
    EXPECT_EQ(backoff.Attempts(), 0);
    EXPECT_EQ(backoff.NextDelayMs(), 500u);
    EXPECT_EQ(backoff.NextDelayMs(), 1000u);
}
