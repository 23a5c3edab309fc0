#include "link/jbus_exchange.h"

#include <gtest/gtest.h>

#include "base/result_codes.h"

namespace orvadw {
namespace {

Bytes frame_of(std::uint8_t slave, std::uint8_t function, const Bytes& data) {
  JBusFrame f;
  f.build(slave, function, data);
  return f.raw();
}

TEST(JBusExchange, ReadRequestIsEightBytesWithCrc) {
  JBusExchange ex;
  EXPECT_EQ(ex.bytes_per_item(), 1);
  ASSERT_EQ(ex.build_request(1, 3, 0x0000, 1, 2, {9, 9, 9}), 0);
  EXPECT_EQ(ex.request_bytes(), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
  ASSERT_EQ(ex.build_request(5, 4, 0x1234, 300, 16, {}), 0);
  const Bytes r = ex.request_bytes();
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r[0], 5);
  EXPECT_EQ(r[1], 4);
  EXPECT_EQ(r[2], 0x12);
  EXPECT_EQ(r[3], 0x34);
  EXPECT_EQ(r[4], 0x01);
  EXPECT_EQ(r[5], 0x2C);
  EXPECT_EQ(ex.bytes_per_item(), 16);
  ex.build_request(1, 3, 0, 1, 0, {});
  EXPECT_EQ(ex.bytes_per_item(), 2);
}

TEST(JBusExchange, WriteRequestCarriesByteCountDataAndPadding) {
  JBusExchange ex;
  ASSERT_EQ(ex.build_request(1, 16, 0x230A, 2, 2, {0xAA, 0xBB, 0xCC}), 0);
  const Bytes r = ex.request_bytes();
  // slave, function, address, count, byte count 4, 3 data bytes, pad 0, CRC.
  ASSERT_EQ(r.size(), 9u + 3 + 1);
  EXPECT_EQ(Bytes(r.begin(), r.end() - 2),
            (Bytes{0x01, 0x10, 0x23, 0x0A, 0x00, 0x02, 0x04, 0xAA, 0xBB, 0xCC, 0x00}));
  JBusFrame check;
  EXPECT_EQ(check.parse(r), 0);
}

TEST(JBusExchange, WriteLengthLimitAt123Registers) {
  JBusExchange ex;
  ASSERT_EQ(ex.build_request(1, 16, 0x1000, 123, 2, Bytes(246, 0x5A)), 0);
  EXPECT_EQ(ex.request_bytes().size(), 255u);
  EXPECT_EQ(ex.build_request(1, 16, 0x1000, 124, 2, Bytes(248, 0x5A)), result::kRequestTooLong);
}

struct ValidateCase {
  const char* name;
  int slave, function, count;
  Bytes response;
  int parse_result;
  int validate_result;
};

class JBusExchangeValidate : public ::testing::TestWithParam<ValidateCase> {};

TEST_P(JBusExchangeValidate, JudgesResponse) {
  const ValidateCase& c = GetParam();
  JBusExchange ex;
  ASSERT_EQ(ex.build_request(c.slave, c.function, 0x0100, c.count, 2,
                             c.function == 16 ? Bytes(c.count * 2, 1) : Bytes{}),
            0);
  ASSERT_EQ(ex.parse_response(c.response), c.parse_result);
  if (c.parse_result == 0) {
    EXPECT_EQ(ex.validate(), c.validate_result);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JBusExchangeValidate,
    ::testing::Values(
        ValidateCase{"read_ok", 1, 3, 2, frame_of(1, 3, {4, 0, 1, 0, 2}), 0, 0},
        ValidateCase{"read_count_byte_wrong", 1, 3, 2, frame_of(1, 3, {2, 0, 1, 0, 2}), 0, 103},
        ValidateCase{"read_too_short", 1, 3, 2, frame_of(1, 3, {4, 0, 1, 0}), 0, 103},
        ValidateCase{"read_too_long", 1, 3, 2, frame_of(1, 3, {4, 0, 1, 0, 2, 9}), 0, 103},
        ValidateCase{"function4_ok", 1, 4, 1, frame_of(1, 4, {2, 7, 7}), 0, 0},
        ValidateCase{"other_slave", 1, 3, 1, frame_of(7, 3, {2, 0, 1}), 0, 101},
        ValidateCase{"slave0_accepts_any", 0, 3, 1, frame_of(7, 3, {2, 0, 1}), 0, 0},
        ValidateCase{"exception_read", 1, 3, 1, frame_of(1, 0x83, {2}), 0, 152},
        ValidateCase{"exception_write", 1, 16, 1, frame_of(1, 0x90, {4}), 0, 154},
        ValidateCase{"exception_other_function", 1, 3, 1, frame_of(1, 0x84, {2}), 0, 102},
        ValidateCase{"other_function", 1, 3, 1, frame_of(1, 4, {2, 0, 1}), 0, 102},
        ValidateCase{"exception_other_slave", 1, 3, 1, frame_of(2, 0x83, {2}), 0, 101},
        ValidateCase{"write_ok", 1, 16, 2, frame_of(1, 16, {0x01, 0x00, 0, 2}), 0, 0},
        ValidateCase{"write_address_not_compared", 1, 16, 2, frame_of(1, 16, {0xFF, 0xFF, 0, 2}),
                     0, 0},
        ValidateCase{"write_count_wrong", 1, 16, 2, frame_of(1, 16, {0x01, 0x00, 0, 3}), 0, 103},
        ValidateCase{"write_echo_short", 1, 16, 2, frame_of(1, 16, {0x01}), 0, 103},
        ValidateCase{"write_echo_long", 1, 16, 2, frame_of(1, 16, {1, 0, 0, 2, 0}), 0, 103},
        ValidateCase{"read_128_never_validates", 1, 3, 128, frame_of(1, 3, {0, 0}), 0, 103},
        ValidateCase{"four_bytes", 1, 3, 1, Bytes{1, 0x83, 0x02, 0x00}, 202, 0},
        ValidateCase{"bad_crc", 1, 3, 1, Bytes{1, 3, 2, 0, 1, 0, 0}, 201, 0}),
    [](const ::testing::TestParamInfo<ValidateCase>& info) { return info.param.name; });

TEST(JBusExchange, ReadOf127RegistersValidatesWith254Bytes) {
  JBusExchange ex;
  ASSERT_EQ(ex.build_request(1, 3, 0, 127, 2, {}), 0);
  Bytes data{254};
  data.resize(255, 0x42);
  ASSERT_EQ(ex.parse_response(frame_of(1, 3, data)), 0);
  EXPECT_EQ(ex.validate(), 0);
  EXPECT_EQ(ex.response_data().size(), 255u);
}

}  // namespace
}  // namespace orvadw
