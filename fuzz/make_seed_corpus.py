#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are what the targets meet in use: a recorded unit reply, acknowledgements, sealed
blocks, hex dumps, dotted addresses, GBK text. Run it again after changing it; the fuzzing
itself never writes into these folders (scripts/run-fuzz works on a copy in the build tree).
"""

import pathlib
import shutil

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent
CORPUS = HERE / "corpus"
REPLY = ROOT / "tests" / "data" / "replies" / "gprs_reply.bin"
BLOCK_SIZE = 660


def seal(block: bytearray) -> bytes:
    """Length 660 in bytes 0-1, XOR of bytes 4-659 in byte 2, 0 in byte 3."""
    block[0:2] = BLOCK_SIZE.to_bytes(2, "little")
    checksum = 0
    for b in block[4:]:
        checksum ^= b
    block[2] = checksum
    block[3] = 0
    return bytes(block)


def reply_block(reply: bytes) -> bytes:
    start = reply.index(b"DTUPARA") + len(b"DTUPARA")
    return bytes.fromhex(reply[start:start + 2 * BLOCK_SIZE].decode("ascii"))


def gbk_block() -> bytes:
    """A dual-channel block with GBK texts and counted fields past their limits."""
    block = bytearray(BLOCK_SIZE)

    def put(offset: int, data: bytes) -> None:
        block[offset:offset + len(data)] = data

    put(4, b"\x02\x02")  # work_mode dual channel, protocol 2
    put(11, b"\x01" + b"\x7e" * 8)  # frame_mode head and tail, frame_head full
    put(28, b"\x08")  # frame_head_len past its limit
    put(99, "中国移动网络接入点名".encode("gbk")[:17])  # apn without terminator
    put(166, "数据中心.cn".encode("gbk") + b"\0")
    put(472, b"+8613800100500")
    put(557, b"\x08")
    put(568, "短信头部".encode("gbk"))
    return seal(block)


def write(target: str, name: str, data: bytes) -> None:
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main() -> None:
    shutil.rmtree(CORPUS, ignore_errors=True)
    reply = REPLY.read_bytes()
    block = reply_block(reply)
    zero_block = seal(bytearray(BLOCK_SIZE))

    target = "feed_char_fuzzer"
    write(target, "gprs_reply", reply)
    write(target, "acknowledgements", b"x$$$SETOK$$$$SETOK$$$ChkErr\rSETACNOK\r\n")
    write(target, "signal", b"RSSI:23\rRSSI:-7,99\rRSSI:\r")
    write(target, "status_gbk", b"VER:V6.0 " + "标准版".encode("gbk") + b"\rGSN:123\r\n"
          b"XuLieHao:" + b"Z" * 310 + b"\r\n")
    write(target, "lowercase_block", b"DTUPARA" + block.hex().encode("ascii"))
    write(target, "short_block", b"DTUPARA" + block.hex().upper().encode("ascii")[:700]
          + b"\r\n    IP:10.0.0.1\r\nDNSIP6:8.8.8.8\r\n")

    target = "hex_text_fuzzer"
    for name, text in [
        ("hex_dump", b"41 42 0D 0A "), ("hex_dump_spaced", b"4 1 4 2"),
        ("hex_dump_tab", b"41\t42"), ("hex_dump_bad_pair", b"4G41 1g"),
        ("dotted", b"192.168.1.10"), ("dotted_short", b"1.2"),
        ("dotted_wide", b"300.1.1.1.5"), ("dotted_signed", b" -1.+2. 3.0004"),
        ("decimal", b"12a34"), ("decimal_wrap", b"99999999999"),
        ("c_hex", b"  -0x1fFFFFFFFF"), ("block_digits", zero_block.hex().upper().encode()),
    ]:
        write(target, name, text)

    target = "gbk_codec_fuzzer"
    write(target, "gbk_text", "中文测试：设置参数".encode("gbk"))
    write(target, "gbk_mixed", b"APN " + "移动".encode("gbk") + b" \x81\x7f\xa1\xa1\xff\x80")
    write(target, "utf8_text", "短信中心 +8613800100500 ·—…".encode("utf-8"))
    write(target, "utf8_broken", "数据".encode("utf-8")[:-1] + b"\xed\xa0\x80\xf4\x90\x80\x80")
    write(target, "escapes", "\uf781\uf7ff\ue000".encode("utf-8"))

    target = "loaded_block_fuzzer"
    write(target, "reply_block", block)
    write(target, "zero_block", zero_block)
    write(target, "gbk_block", gbk_block())
    write(target, "short", block[:100])

    target = "parameter_file_fuzzer"
    write(target, "saved_file", block)
    write(target, "gbk_file", gbk_block())
    write(target, "long_file", zero_block + b"trailing bytes after the block")
    write(target, "short_file", block[:10])


if __name__ == "__main__":
    main()
