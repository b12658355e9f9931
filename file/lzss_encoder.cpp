// The LZSS encoder: finds the longest earlier match for every position with binary search trees
// over the ring buffer (one node per ring position, one tree per hash of the first three bytes),
// sends a reference when the match is longer than two bytes and a literal otherwise. It keeps its
// whole state between calls, so a stream can hand it one buffer at a time.
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#include "file/lzss.h"

namespace corvane {

namespace {

constexpr int ring_mask = lzss_ring_size - 1;
constexpr int no_node = lzss_ring_size;         // the empty link
constexpr int first_root = lzss_ring_size + 1;  // the roots follow the ring's nodes
// Strings are kept in one tree per hash of their first three bytes. Every string a reference may
// use (three bytes or more in common with the key) is in the key's tree, so the search still finds
// the longest match, and the trees stay shallow.
constexpr int root_bits = 12;
constexpr int node_count = lzss_ring_size + 1 + (1 << root_bits);
constexpr int output_size = 4096;
constexpr int group_size = 1 + 8 * 2;  // a flag byte and eight references at most

enum class phase : unsigned char { filling, running, done };

// Eight bytes as a big-endian number, so that comparing two such numbers compares the bytes in
// order and the first differing byte is found from the leading zeros of their XOR.
uint64_t load_big_endian(const unsigned char *p) {
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
  return value;
}

}  // namespace

struct lzss_encoder {
  // The ring, followed by a copy of its first max_match - 1 bytes so that a string starting near
  // the end can be compared without wrapping, and some slack for word-sized loads.
  unsigned char text[lzss_ring_size + lzss_max_match - 1 + 16];
  // The tree: child[n][0] is the left (smaller) child, child[n][1] the right one. Kept together
  // with the parent link so that one node is one small record.
  struct node {
    int16_t child[2];
    int16_t up;
  };
  node tree[node_count];
  int s = 0;                    // oldest position, next to be replaced
  int r = lzss_start_position;  // position being encoded
  int len = 0;                  // bytes of look-ahead from r
  int match_length = 0;
  int match_position = 0;
  int to_advance = 0;  // positions still to move past the last item
  phase state = phase::filling;
  unsigned char group[group_size];  // the group being built
  int group_length = 1;
  unsigned mask = 1;  // flag bit of the next item
  unsigned char out[output_size];
  int out_length = 0;
  bool failed = false;

  lzss_encoder() noexcept {
    std::memset(text, 0, sizeof text);
    for (auto &n : tree) n = node{{no_node, no_node}, no_node};
    group[0] = 0;
  }

  int16_t &left(int n) { return tree[n].child[0]; }
  int16_t &right(int n) { return tree[n].child[1]; }
  int16_t &up(int n) { return tree[n].up; }

  // Puts position p into the tree and finds the longest match for it on the way down. A node whose
  // string equals it in full is replaced by it, since p is the newer copy.
  void insert_node(int p) {
    const unsigned char *key = &text[p];
    // The key is compared with every node on the way down: load it once, as bytes 0-7, 8-15 and
    // 10-17 (the last word overlaps the second so that all three are whole words).
    const uint64_t key_0 = load_big_endian(key);
    const uint64_t key_8 = load_big_endian(key + 8);
    const uint64_t key_10 = load_big_endian(key + 10);
    const uint32_t prefix = (static_cast<uint32_t>(key[0]) << 16) | (key[1] << 8) | key[2];
    int q = first_root + static_cast<int>((prefix * 2654435761u) >> (32 - root_bits));
    int side = 1;  // below a root everything hangs on the right
    int best_length = 0;
    int best_position = 0;
    tree[p].child[0] = tree[p].child[1] = no_node;
    for (;;) {
      const int next = tree[q].child[side];
      if (next == no_node) {
        tree[q].child[side] = static_cast<int16_t>(p);
        tree[p].up = static_cast<int16_t>(q);
        match_length = best_length;
        match_position = best_position;
        return;
      }
      q = next;
      // How many bytes match, and on which side of the node the key belongs.
      const unsigned char *other = &text[q];
      const uint64_t word_0 = load_big_endian(other);
      const uint64_t word_8 = load_big_endian(other + 8);
      const uint64_t word_10 = load_big_endian(other + 10);
      const uint64_t x_0 = word_0 ^ key_0;
      const uint64_t x_8 = word_8 ^ key_8;
      const uint64_t x_10 = word_10 ^ key_10;
      // Selections rather than branches: which word differs first is hard to predict.
      const uint64_t first = x_0 != 0 ? x_0 : (x_8 != 0 ? x_8 : x_10);
      const int base = x_0 != 0 ? 0 : (x_8 != 0 ? 8 : 10);
      const int length = first != 0 ? base + std::countl_zero(first) / 8 : lzss_max_match;
      const uint64_t key_word = x_0 != 0 ? key_0 : (x_8 != 0 ? key_8 : key_10);
      const uint64_t node_word = x_0 != 0 ? word_0 : (x_8 != 0 ? word_8 : word_10);
      side = key_word > node_word;
      // Written without a branch: whether a node improves the match is hard to predict.
      const bool longer = length > best_length;
      best_position = longer ? q : best_position;
      best_length = longer ? length : best_length;
      if (length >= lzss_max_match) break;
    }
    match_length = best_length;
    match_position = best_position;
    tree[p] = tree[q];
    up(left(q)) = static_cast<int16_t>(p);
    up(right(q)) = static_cast<int16_t>(p);
    if (right(up(q)) == q) {
      right(up(q)) = static_cast<int16_t>(p);
    } else {
      left(up(q)) = static_cast<int16_t>(p);
    }
    up(q) = no_node;
  }

  void delete_node(int p) {
    if (up(p) == no_node) return;
    int q;
    if (right(p) == no_node) {
      q = left(p);
    } else if (left(p) == no_node) {
      q = right(p);
    } else {
      q = left(p);
      if (right(q) != no_node) {
        do q = right(q);
        while (right(q) != no_node);
        right(up(q)) = left(q);
        up(left(q)) = up(q);
        left(q) = left(p);
        up(left(p)) = static_cast<int16_t>(q);
      }
      right(q) = right(p);
      up(right(p)) = static_cast<int16_t>(q);
    }
    up(q) = up(p);
    if (right(up(p)) == p) {
      right(up(p)) = static_cast<int16_t>(q);
    } else {
      left(up(p)) = static_cast<int16_t>(q);
    }
    up(p) = no_node;
  }

  bool drain(const lzss_output &output) {
    if (out_length == 0) return true;
    const int result = output.write(output.context, out, out_length);
    out_length = 0;
    return result == 0;
  }

  bool close_group(const lzss_output &output) {
    if (group_length > 1) {
      if (out_length + group_length > output_size && !drain(output)) return false;
      std::memcpy(out + out_length, group, static_cast<size_t>(group_length));
      out_length += group_length;
    }
    group[0] = 0;
    group_length = 1;
    mask = 1;
    return true;
  }

  // Sends the item for position r: a reference to the match found when r was inserted, or a
  // literal.
  bool emit(const lzss_output &output) {
    if (match_length > len) match_length = len;
    if (match_length <= lzss_threshold) {
      match_length = 1;
      group[0] = static_cast<unsigned char>(group[0] | mask);
      group[group_length++] = text[r];
    } else {
      group[group_length++] = static_cast<unsigned char>(match_position & 0xFF);
      group[group_length++] = static_cast<unsigned char>(((match_position >> 4) & 0xF0) |
                                                         (match_length - (lzss_threshold + 1)));
    }
    to_advance = match_length;
    mask <<= 1;
    if (mask == 0x100) return close_group(output);
    return true;
  }
};

lzss_encoder *create_lzss_encoder() noexcept { return new (std::nothrow) lzss_encoder(); }

void destroy_lzss_encoder(lzss_encoder *encoder) noexcept { delete encoder; }

int lzss_encode(lzss_encoder *e, const unsigned char *data, long size, bool final,
                const lzss_output &output) noexcept {
  if (e->failed) return -1;
  const unsigned char *p = data;
  const unsigned char *const end = data + (size > 0 ? size : 0);
  bool ok = true;
  while (ok && e->state != phase::done) {
    if (e->state == phase::filling) {
      while (e->len < lzss_max_match && p < end) e->text[e->r + e->len++] = *p++;
      if (e->len < lzss_max_match && !final) break;
      if (e->len == 0) {
        e->state = phase::done;
        break;
      }
      // The max_match positions before the start hold zeros that matches may use.
      for (int i = 1; i <= lzss_max_match; ++i) e->insert_node(e->r - i);
      e->insert_node(e->r);
      e->state = phase::running;
      e->to_advance = 0;
    }
    // Move past the last item: every position leaves the tree as the ring overwrites it, and the
    // new position goes in, finding its match on the way.
    int s = e->s;
    int r = e->r;
    while (e->to_advance > 0 && p < end) {
      const unsigned char c = *p++;
      e->delete_node(s);
      e->text[s] = c;
      if (s < lzss_max_match - 1) e->text[s + lzss_ring_size] = c;
      s = (s + 1) & ring_mask;
      r = (r + 1) & ring_mask;
      e->insert_node(r);
      --e->to_advance;
    }
    // Without more input the look-ahead shrinks until it is used up.
    while (e->to_advance > 0 && final) {
      e->delete_node(s);
      s = (s + 1) & ring_mask;
      r = (r + 1) & ring_mask;
      if (--e->len > 0) e->insert_node(r);
      --e->to_advance;
    }
    e->s = s;
    e->r = r;
    const bool waiting = e->to_advance > 0;
    if (waiting) break;
    if (e->len <= 0) {
      ok = e->close_group(output);
      e->state = phase::done;
      break;
    }
    ok = e->emit(output);
  }
  if (ok) ok = e->drain(output);
  if (!ok) {
    e->failed = true;
    return -1;
  }
  return 0;
}

}  // namespace corvane
