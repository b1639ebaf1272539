#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/<target>/.

Small realistic files: CR LF, LF and lone CR line ends, Ctrl-Z, NUL bytes,
long lines, Polish code page 1250 bytes, and every layout. Run it again after
changing it; the seeds are committed.
"""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

# Column counts of the fourteen layouts: (tokens, kinds) where kinds say
# which tokens are point numbers ("n") and which are numbers ("x").
LAYOUT_KINDS = ["nxxx", "nxx", "nxx", "nxxxx", "nxxx", "nxxxx", "nxxxx", "xx", "xxx", "nxxx",
                "nxx", "nxxx", "nnxx", "nnxxx"]
SEPARATORS = [b";", b",", b"\t", b" ", b"|"]


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def point_lines(rng, kinds, separator, count, comma=False):
    lines = []
    for i in range(count):
        tokens = []
        for kind in kinds:
            if kind == "n":
                tokens.append(b"%d" % (100 + i))
            else:
                value = b"%.2f" % rng.uniform(5_700_000, 6_500_000)
                if comma and separator != b",":
                    value = value.replace(b".", b",")
                tokens.append(value)
        lines.append(separator.join(tokens))
    return lines


def catalogue_seeds():
    write("catalogue", "crlf", b"KR,Kamie\xf1 graniczny\r\nPP,Punkt pomiarowy\r\n")
    write("catalogue", "lf_no_last_end", b"kr,opis\nab,b,c\n  p1\t,\tPunkt   ")
    write("catalogue", "malformed", b"bez przecinka\r\n,na poczatku\r\n   ,x\r\nkod,\r\nkod,   \r\n\r\n")
    write("catalogue", "polish", b"\xb9b1,\xa3\xb9ka\r\n\xdf\xb5,S\xb3up\r\n\x9a\x9c\x9f,\xbf\r\n")
    write("catalogue", "ctrl_z", b"A,pierwszy\r\n\x1aB,po ctrl-z\r\n")
    write("catalogue", "nul", b"A,op\x00is\r\n\x00B,x\r\nC\x00,y\r\n")
    write("catalogue", "bom", b"\xef\xbb\xbfkr,Kamie\xf1\r\n")
    write("catalogue", "lone_cr", b"A,jeden\rB,dwa\r\rC,trzy\r\n")
    write("catalogue", "long_line", b"K1," + b"x" * 2044 + b"K2,opis" + b"y" * 940 + b"\n"
          + b"K3,koniec\n")
    write("catalogue", "duplicates", b"KR,a\r\nKR,b\r\nkr,c\r\n")
    write("catalogue", "blanks", b" \x0b\x0c A \x0c, \xa0opis\xa0 \r\n")
    write("catalogue", "utf8", "\ufeffkr,Kamień graniczny\r\nłą,Słup € √2\r\n".encode("utf-8"))
    write("catalogue", "utf16", "\ufeffkr,Kamień graniczny\r\nłą,Słup € √2\r\n".encode("utf-16-le"))


def reader_seeds():
    write("input_reader", "worked_example", bytes.fromhex("410d0a0d0a420d430a441a450a"))
    write("input_reader", "crlf", b"101 1 2\r\n102 3 4\r\n")
    write("input_reader", "lone_cr", b"101 1 2\r102 3 4\r")
    write("input_reader", "thirteen", b"".join(b"%d 1 2\r\n" % i for i in range(13)))
    write("input_reader", "nul_lines", b"A\r\n\x00B\r\nC\x00D\r\nE\r\n")
    write("input_reader", "nul_in_long", b"x" * 100 + b"\x00" + b"y" * 100 + b"\nZ\n")
    write("input_reader", "long_line", b"p" * 3000 + b"\r\n" + b"q" * 127 + b"\r" + b"\n")
    write("input_reader", "cr_at_piece_end", b"a" * 127 + b"\r\n" + b"b" * 128 + b"\n")
    write("input_reader", "only_ctrl_z", b"\x1a\x1a")
    write("input_reader", "cp1250", b"101 \xb3\xb9ka 5712345,12 6543210,50\r\n")
    write("input_reader", "cr_cr_lf", b"A\r\r\nB\r")
    write("input_reader", "utf16", "101 1 2\r\n102 3 4\r\n".encode("utf-16"))
    write("input_reader", "utf8_bom", b"\xef\xbb\xbfNr X Y\r\n101 1 2\r\n")
    # Saved as today's Windows tools save: characters the code page lacks,
    # surrogates paired and not, Ctrl-Z and CR LF after decoding.
    unicode = "Ś101 1 2\r\nŁąka-2 Ж 😀 à\r\nĚ\x1a 5\r\n"
    write("input_reader", "utf8_polish", unicode.encode("utf-8"))
    write("input_reader", "utf16le", b"\xff\xfe" + unicode.encode("utf-16-le") + b"\x00\xd8A\x00\x00\xdc!")
    write("input_reader", "utf16be", b"\xfe\xff" + unicode.encode("utf-16-be"))


def generation_seeds():
    rng = random.Random(7)
    for layout, kinds in enumerate(LAYOUT_KINDS):
        separator = layout % 5
        lines = point_lines(rng, kinds, SEPARATORS[separator], 4, comma=layout % 2 == 0)
        if layout % 3 == 0:
            lines.append(b"")
            lines.append(point_lines(rng, kinds[:-1], SEPARATORS[separator], 1)[0])
        end = [b"\r\n", b"\n", b"\r\n"][layout % 3]
        body = end.join(lines) + (end if layout % 4 else b"")
        kerg = b"" if layout % 4 else b"K.123.2024"
        zudp = b"" if layout % 4 != 1 else b"ZUDP/77"
        params = bytes([layout, separator, layout % 3, len(kerg)]) + kerg + bytes([len(zudp)]) + zudp
        write("generation", "layout%02d" % layout, params + body)
    base = b"101 5712345,12 6543210,50\r\n102 5712346 6543211\r\n"
    write("generation", "invalid_code", bytes([2, 3, 4, 0, 0]) + base)
    write("generation", "invalid_code_existing", bytes([2, 8, 3, 0, 0]) + base)
    write("generation", "layout_out_of_range", bytes([15, 3, 0, 0, 0]) + base)
    write("generation", "kerg_and_zudp", bytes([11, 3, 1, 2]) + b"K1" + bytes([2]) + b"Z2" + base)
    write("generation", "ctrl_z_nul", bytes([2, 3, 0, 0, 0]) + b"101 1 2\r\n\x00\r\n102 3 4\x1a103 5 6\r\n")
    write("generation", "lone_cr", bytes([2, 3, 0, 0, 0]) + b"101 1 2\r102 3 4\r")
    write("generation", "long_line", bytes([2, 3, 0, 0, 0]) + b"101 1 2 " + b"9" * 3000 + b"\r\n")
    write("generation", "long_token", bytes([2, 0, 0, 0, 0]) + b"N" * 200 + b";1;2\r\n")
    write("generation", "polish", bytes([11, 3, 2, 0, 0]) + b"\xb3\xb9ka 1,5 2,25 3\r\n")
    write("generation", "empty", bytes([2, 3, 0, 0, 0]))
    write("generation", "header_bom_words", bytes([11, 1, 0x10, 0, 0]) + b"\xef\xbb\xbfname, easting, northing, elevation\r\n"
          b"A1, 600389.138, 6614931.498, 94.575\r\n;;\r\nB2,ten,1e999,x\r\n\r\nC3,inf,2,3\r\n")
    write("generation", "code_text_elsewhere", bytes([2, 3, 0x50, 0, 0]) + base)
    points = "Nr X Y H\r\nŚ101 5712345,12 6543210,50 101,5\r\nŁąka-2 1 2 3\r\nЖ1 2 3 4\r\n5 6à 7 8\r\n"
    write("generation", "utf8_points", bytes([11, 3, 0, 0, 0]) + "\ufeff".encode() + points.encode("utf-8"))
    write("generation", "utf16_points", bytes([11, 2, 0, 0, 0]) + b"\xff\xfe" + points.replace(" ", "\t").encode("utf-16-le"))
    # Quoted fields as GIS, spreadsheet and statistics tools write them, the
    # malformed kinds, and coordinates that are not one number.
    write("generation", "quoted_fields", bytes([12, 1, 0, 0, 0]) +
          b'"101","A",5712345.12,6543210.55\r\n"","x","y","z"\r\n"102","B","5712346,5","6543211,25"\r\n'
          b'103,"Krak\xf3w, ul. ""D""" , "1" ,2\r\n"104","",1,2\r\n"open,N,1,2\r\n"a"b,N,1,2\r\n'
          b'"Sklep \\"Ala\\"",N,1,2\r\nP"1,N"2,3,4\r\n')
    write("generation", "quoted_spaces", bytes([2, 3, 0, 0, 0]) +
          b'"P 1" 5 6\r\n"P\t2"\t 7 "8"\r\n1001 53\xb055\'49.288" 14\xb013\'36.441"\r\n')
    write("generation", "one_number", bytes([11, 0, 0, 0, 0]) +
          b"101;5 712 345,12;6543210,55;1\r\n102;1;2;1,234,5\r\n103;12:30;1e5;1\r\n"
          b"104;12.5m;1,234,5;2\r\n105;5\xa0712;101-3;2\r\n")
    # Numbers whose conversion is hard: mantissas longer than the 800 digits a
    # converter may keep, halfway values, exponents at the ends of the range.
    write("generation", "hard_numbers", bytes([7, 3, 0, 0, 0]) +
          b"1" + b"0" * 20 + b"," + b"0" * 810 + b" 2\r\n" +
          b"0," + b"9" * 850 + b" 0," + b"0" * 790 + b"1e-10\r\n" +
          b"9007199254740993 2.2250738585072011e-308\r\n" +
          b"0x1.fffffffffffff8p1023 1,7976931348623158e308\r\n")


if __name__ == "__main__":
    catalogue_seeds()
    reader_seeds()
    generation_seeds()
