"""Upload throughput and CPU cost of castora-ftp against curl -T, same server, same run.

castora-ftp runs with the upload task's settings (10 s timeout, 2,048-byte buffer,
passive mode). Each tool uploads the same file to a fresh name several times; the
median of each figure is reported. The client's CPU time per MB should be at most
twice curl's.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

USER = "bench"
PASSWORD = "bench-pw"


def timed_run(command):
    """Runs command; returns (wall seconds, CPU seconds of the process, exit status)."""
    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.stderr.write(process.stderr.read().decode(errors="replace"))
    return wall, usage.ru_utime + usage.ru_stime, process.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--megabytes", type=int, default=200)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as root, tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "upload.bin")
        with open(source, "wb") as out:
            for _ in range(args.megabytes):
                out.write(os.urandom(1000 * 1000))
        size_mb = os.path.getsize(source) / 1e6

        server = subprocess.Popen(["/usr/bin/python3", args.server, "--root", root, "--user", USER,
                                   "--password", PASSWORD], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            port = int(server.stdout.readline().split()[1])
            results = {"castora-ftp": [], "curl": []}
            for run in range(args.runs):
                name = "castora-%d.bin" % run
                results["castora-ftp"].append(timed_run(
                    [args.tool, "--host", "127.0.0.1", "--port", str(port), "--user", USER, "--password", PASSWORD,
                     "--passive", source, name]))
                if os.path.getsize(os.path.join(root, name)) != os.path.getsize(source):
                    raise SystemExit("castora-ftp upload incomplete")
                name = "curl-%d.bin" % run
                results["curl"].append(timed_run(
                    ["curl", "-s", "-S", "-T", source, "--user", "%s:%s" % (USER, PASSWORD),
                     "ftp://127.0.0.1:%d/%s" % (port, name)]))
                if os.path.getsize(os.path.join(root, name)) != os.path.getsize(source):
                    raise SystemExit("curl upload incomplete")
        finally:
            server.stdin.close()
            server.wait(timeout=10)

    figures = {}
    print("upload of %.0f MB to pyftpdlib on loopback, median of %d runs" % (size_mb, args.runs))
    for tool, runs in results.items():
        if any(status != 0 for _, _, status in runs):
            raise SystemExit("%s failed" % tool)
        wall = statistics.median(w for w, _, _ in runs)
        cpu = statistics.median(c for _, c, _ in runs)
        figures[tool] = (size_mb / wall, cpu * 1000 / size_mb)
        print("  %-12s %7.1f MB/s  %6.2f ms CPU per MB  (%.2f s, CPU %.2f s)"
              % (tool, figures[tool][0], figures[tool][1], wall, cpu))
    throughput_ratio = figures["castora-ftp"][0] / figures["curl"][0]
    cpu_ratio = figures["castora-ftp"][1] / figures["curl"][1]
    print("  throughput castora-ftp / curl: %.2f" % throughput_ratio)
    print("  CPU per MB castora-ftp / curl: %.2f (target <= 2.00): %s"
          % (cpu_ratio, "met" if cpu_ratio <= 2.0 else "NOT met"))


if __name__ == "__main__":
    main()
