// Shared by the two sides of the INI differential test: a query file holds
// one query a line, "FILE SECTION KEY" with each field in hex, and each side
// answers one line a query: the value's bytes in hex ("-" when empty).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zeltrand::testing {

struct ProfileQuery {
  std::string file;
  std::string section;
  std::string key;
};

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline std::string FromHex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1]));
  }
  return out;
}

inline std::string ToHex(std::string_view bytes) {
  if (bytes.empty()) return "-";
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

inline std::vector<ProfileQuery> ParseQueries(std::string_view text) {
  std::vector<ProfileQuery> queries;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::vector<std::string> fields;
    while (!line.empty()) {
      const std::size_t sp = line.find(' ');
      fields.push_back(FromHex(line.substr(0, sp)));
      line.remove_prefix(sp == std::string_view::npos ? line.size() : sp + 1);
    }
    if (fields.size() == 3) queries.push_back({fields[0], fields[1], fields[2]});
  }
  return queries;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes += static_cast<char>(c);
    std::fclose(f);
  }
  return bytes;
}

// The whole of either side: "PROGRAM DIR QUERIES", where `answer(dir, query)`
// gives the value's bytes for one query.
template <typename Answer>
int AnswerProfileQueries(int argc, char** argv, Answer answer) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DIR QUERIES\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (const auto& q : ParseQueries(ReadWholeFile(argv[2]))) {
    std::printf("%s\n", ToHex(answer(dir, q)).c_str());
  }
  return 0;
}

}  // namespace zeltrand::testing
