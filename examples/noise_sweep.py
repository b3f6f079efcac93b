#!/usr/bin/python3
"""Steps the noise level over a configuration of the Zorvan-L board and prints what each step set.

    examples/noise_sweep.py [--host 127.0.0.1] [--port 5025] [--set Lab --configuration Test]
                            [--start -40] [--stop 15] [--step 5] [--dwell 1]

Talks to zorvanl-scpi with PyVISA (pure-Python backend: Debian's python3-pyvisa-py). With --set and
--configuration the configuration is recalled first (a device load: the script waits for it with
*OPC?); otherwise the configuration in force is used. At each step the script sets the level, waits
the dwell time (measure the receiver here) and prints the level the board holds and any error.
"""
import argparse
import sys
import time

import pyvisa


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=5025)
    parser.add_argument("--set", dest="set_name")
    parser.add_argument("--configuration")
    parser.add_argument("--start", type=float, default=-40.0, help="first level, dB")
    parser.add_argument("--stop", type=float, default=15.0, help="last level, dB")
    parser.add_argument("--step", type=float, default=5.0, help="level step, dB")
    parser.add_argument("--dwell", type=float, default=1.0, help="time at each level, s")
    args = parser.parse_args()
    if args.step == 0 or (args.stop - args.start) * args.step < 0:
        parser.error("the step must lead from --start to --stop")

    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource("TCPIP::%s::%d::SOCKET" % (args.host, args.port),
                            read_termination="\n", write_termination="\n")
    inst.timeout = 60000  # a device load takes seconds
    print(inst.query("*IDN?").strip())
    inst.write("*CLS")
    if args.set_name and args.configuration:
        inst.query('MMEM:LOAD:STAT "%s","%s";*OPC?' % (args.set_name, args.configuration))
    # Noise on (the sine interferer off first: both use the board's generator), output on.
    inst.query("SINE OFF;NOIS ON;OUTP ON;*OPC?")
    error = inst.query("SYST:ERR?").strip()
    if not error.startswith("0,"):
        sys.exit("the board refused the set-up: " + error)
    print("carrier %s Hz, symbol rate %s symbol/s, modulation %s" %
          tuple(inst.query("FREQ?;SYMB?;MOD?").strip().split(";")))

    level = args.start
    count = int(round((args.stop - args.start) / args.step)) + 1
    for _ in range(count):
        level = round(level, 6)
        inst.write("NOIS:LEV %g DB" % level)
        held = inst.query("NOIS:LEV?").strip()
        error = inst.query("SYST:ERR?").strip()
        print("noise level set %g dB, board holds %s dB, %s" % (level, held, error))
        time.sleep(args.dwell)
        level += args.step
    inst.close()
    rm.close()


if __name__ == "__main__":
    main()
