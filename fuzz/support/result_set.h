#pragma once
// The result codes a transaction or an exchange may give, for the targets'
// checks.
namespace orvadw::fuzz {

// The verdict codes of judging a response: 0, 101, 102, 103, 150-405, 201, 202.
bool is_judging_code(int code);
// What transact() may return for a well-formed request on an open line.
bool is_transaction_code(int code);

}  // namespace orvadw::fuzz
