// The mobile operators whose SIMs the console tool can name, made at build time from the mobile
// broadband provider database (scripts/make_operator_table.py writes operator_table_data.cpp).
// Texts are offsets into kText, each ended by its NUL; offset 0 is the empty text.
#pragma once

namespace operator_table {

enum class Usage : unsigned char { kInternet, kMms, kOther };

// A network code an operator's SIMs carry: the MCC, and the MNC with its number of digits, as
// "02" and "002" are different codes.
struct Network {
  unsigned short mcc;
  unsigned short mnc;
  unsigned char mncDigits;
  unsigned short op;  // index into kOperators
};
struct Operator {
  unsigned short name;
  unsigned short firstApn;  // its APNs are kApns[firstApn] and on, in the database's order
  unsigned char apns;
};
struct Apn {
  unsigned short value;
  unsigned short user;
  unsigned short password;
  Usage usage;
};

extern const char kDatabaseVersion[];
extern const char kText[];
// In the database's order of operators, and each operator's codes in its own order.
extern const Network kNetworks[];
extern const Operator kOperators[];
extern const Apn kApns[];
extern const unsigned kNetworkCount;
extern const unsigned kOperatorCount;
extern const unsigned kApnCount;

inline const char* Text(unsigned short offset) {
  return kText + offset;
}

}  // namespace operator_table
