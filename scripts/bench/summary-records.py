"""Writes a record file for the summary benchmark (not a test).

PCS PCs that record once a day for RECORDS days, 100 to 300 programs each,
a program installed or removed now and then, in code page 932, as 記録
writes it (a header, LF line ends, a comma after the last column).

    python3 scripts/bench/summary-records.py OUT [--pcs 1000] [--records 250] [--programs N]

--programs gives every PC N programs instead.
"""

import argparse
import datetime
import random

HEADER = ('"PC名","情報取得時刻","Windows起動時間","WindowsVer","CPU種類､ｽﾋﾟｰﾄﾞ､psn",'
          '"ﾒﾓﾘの空/全容量","ｼｽﾃﾑHDの空/全容量","GDI、USERﾘｿｰｽ残量","WinSockVer","GetUserName",'
          '"GetComputerName","gethostname","IPｱﾄﾞﾚｽ","MACｱﾄﾞﾚｽ","ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ","ﾛｸﾞｲﾝ者",'
          '"","","","","ｲﾝｽﾄｰﾙｿﾌﾄ"\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('out')
    parser.add_argument('--pcs', type=int, default=1000)
    parser.add_argument('--records', type=int, default=250)
    parser.add_argument('--programs', type=int, default=0)
    args = parser.parse_args()
    rng = random.Random(20)
    pool = [f'{rng.choice(["Office", "ｿﾌﾄ", "Viewer", "会計ｼｽﾃﾑ", "Driver"])} Tool {i} '
            f'{rng.randint(1, 20)}.{rng.randint(0, 99)}' for i in range(3000)]
    pcs = []
    for i in range(args.pcs):
        programs = rng.sample(pool, args.programs or rng.randint(100, 300))
        fixed = [f'課{i % 40}-{i}号機', '', '0日00:12', 'Win10 10.0.19045, , 00330-80000-00000-AA123',
                 'GenuineIntel, Core i5-8250U, c1800MHz, PSNは非ｻﾎﾟｰﾄまたは非許可',
                 f'{rng.randint(500, 7000)}/8192MBytes', '52000/238000MByte', '', '2.2',
                 f'user{i:04d}', f'PC{i:04d}', f'pc{i:04d}', f'192.168.{i // 250}.{i % 250 + 2}',
                 f'n00:50:BA:{i // 65536:02X}:{i // 256 % 256:02X}:{i % 256:02X}', 'LBP3000 on USB001',
                 f'user{i:04d}', 'admin', '', '', '']
        pcs.append([fixed, programs, None])
    start = datetime.datetime(2024, 1, 1, 8, 0, 0)
    with open(args.out, 'wb') as out:
        out.write(HEADER.encode('cp932'))
        for day in range(args.records):
            for i, pc in enumerate(pcs):
                fixed, programs, tail = pc
                if rng.random() < 0.03:
                    if rng.random() < 0.5 and len(programs) > 100:
                        programs.remove(rng.choice(programs))
                    else:
                        programs.append(rng.choice(pool))
                    tail = None
                if tail is None:
                    tail = ''.join(f'"{p}",' for p in programs).encode('cp932')
                    pc[2] = tail
                when = start + datetime.timedelta(days=day, seconds=i * 7)
                fixed[1] = when.strftime('%Y.%m.%d %H:%M:%S')
                out.write(''.join(f'"{c}",' for c in fixed).encode('cp932') + tail + b'\n')


if __name__ == '__main__':
    main()
