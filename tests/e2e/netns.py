"""Two private network namespaces joined by one veth pair: the controller's side and the devices' side.

The namespaces are anonymous and held only by child processes that die with this process (also on SIGKILL),
so nothing outlives a run: no files in /run/netns, no interfaces on the host, no stray processes.
"""

import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

CLONE_NEWNET = 0x40000000
PR_SET_PDEATHSIG = 1

# CTest's SKIP_RETURN_CODE for the e2e tests: the machine cannot make namespaces at all.
SKIP_CODE = 77

# Set in the environment of a run that re-executed itself inside a user namespace, so it does not loop.
_USERNS_MARK = "MERIDANE_E2E_IN_USERNS"

_libc = ctypes.CDLL(None, use_errno=True)

CTL_VETH = "veth-ctl"
DEV_VETH = "veth-dev"


class NamespaceUnavailable(Exception):
    """The machine plainly cannot give us network namespaces (tool or kernel feature missing)."""


class NamespaceError(Exception):
    """Setting up or using the namespaces failed although the machine should allow it."""


def _child_preexec(parent_pid, new_netns=False, netns_path=None):
    """Runs in the forked child before exec: die with the parent, then enter or create the namespace. A failure
    raises, which makes Popen raise in the parent instead of starting the program in the wrong place."""

    def setup():
        if _libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0) != 0:
            raise OSError(ctypes.get_errno(), "prctl(PR_SET_PDEATHSIG)")
        # The parent may have died before prctl took effect; the signal would then never come.
        if os.getppid() != parent_pid:
            raise OSError(0, "parent gone")
        if new_netns and _libc.unshare(CLONE_NEWNET) != 0:
            raise OSError(ctypes.get_errno(), "unshare(CLONE_NEWNET)")
        if netns_path is not None:
            fd = os.open(netns_path, os.O_RDONLY | os.O_CLOEXEC)
            rc = _libc.setns(fd, CLONE_NEWNET)
            os.close(fd)
            if rc != 0:
                raise OSError(ctypes.get_errno(), "setns " + netns_path)

    return setup


def _probe(argv):
    try:
        res = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=10)
    except (OSError, subprocess.TimeoutExpired) as exc:
        return False, str(exc)
    return res.returncode == 0, res.stderr.decode(errors="replace").strip()


def _userns_disabled_by_policy():
    for path, bad in (("/proc/sys/user/max_user_namespaces", "0"), ("/proc/sys/kernel/unprivileged_userns_clone", "0")):
        try:
            with open(path) as f:
                if f.read().strip() == bad:
                    return path
        except OSError:
            pass
    return None


def ensure_namespaces():
    """Makes sure this process may create network namespaces, re-executing it inside a user namespace when it is
    not privileged. Raises NamespaceUnavailable when the machine plainly cannot, NamespaceError when it should but
    failed."""
    missing = [tool for tool in ("ip", "unshare") if shutil.which(tool) is None]
    if missing:
        raise NamespaceUnavailable("missing tools: " + ", ".join(missing) + " (iproute2, util-linux)")
    if not os.path.exists("/proc/self/ns/net"):
        raise NamespaceUnavailable("the kernel has no network namespaces (/proc/self/ns/net is absent)")
    ok, err = _probe(["unshare", "--net", "true"])
    if ok:
        return
    if os.environ.get(_USERNS_MARK):
        raise NamespaceError("inside the user namespace, a network namespace still cannot be made: " + err)
    ok_user, err_user = _probe(["unshare", "--user", "--map-root-user", "--net", "true"])
    if ok_user:
        env = dict(os.environ, **{_USERNS_MARK: "1"})
        sys.stdout.flush()
        sys.stderr.flush()
        os.execvpe("unshare", ["unshare", "--user", "--map-root-user", "--net", sys.executable] + sys.argv, env)
    policy = _userns_disabled_by_policy()
    if os.geteuid() != 0 and policy:
        raise NamespaceUnavailable("not root, and user namespaces are disabled by " + policy)
    raise NamespaceError("cannot create a network namespace: %s; nor inside a user namespace: %s" % (err, err_user))


def _pid_alive(pid):
    """True while the process exists and is not a zombie."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            stat = f.read()
    except OSError:
        return False
    return stat.rsplit(")", 1)[1].split()[0] != "Z"


class SimNet:
    """The controller's namespace with one address (ctl_ip) and the devices' namespace with one address per device
    (device_ips), joined by a veth pair, with routes for multicast and limited broadcast on both ends.

    Use as a context manager; popen()/run() start programs inside either namespace ("ctl" or "dev"). Every process
    started here is ended by close(), and dies by itself if this process dies."""

    MAX_DEVICES = 1024
    # The host's neighbour table is shared by every namespace and holds about 1024 learnt entries in all
    # (gc_thresh3); a controller asking a thousand devices overflows it and silently loses requests to some of
    # them. Larger networks therefore get permanent entries, which the limit does not count.
    STATIC_NEIGHBOURS_FROM = 64

    def __init__(self, device_count=12, prefix="10.77.0", ctl_host=1, first_device_host=11, device_ips=None):
        """Devices get device_count consecutive addresses from prefix.first_device_host, or device_ips when given
        (each in its own /24, routed across the veth). A generated network that outgrows the /24 becomes one /21
        (prefix.0/21, room for 1024 devices); its addresses pass over those ending in .0 or .255, as the
        simulator's own do, and the addresses below first_device_host stay free for the controller and probes."""
        self.prefix = prefix
        self.ctl_ip = "%s.%d" % (prefix, ctl_host)
        self.prefix_len = 24
        if device_ips is None:
            if not 1 <= device_count <= self.MAX_DEVICES:
                raise ValueError("device_count out of range: %d (1 to %d)" % (device_count, self.MAX_DEVICES))
            if device_count > 254 - first_device_host:
                self.prefix_len = 21
            device_ips = self._host_addresses("%s.%d" % (prefix, first_device_host), device_count)
        for ip in device_ips:
            parts = ip.split(".")
            if len(parts) != 4 or not all(p.isdigit() and int(p) < 256 for p in parts) or ip == self.ctl_ip:
                raise ValueError("unusable device address: %r" % ip)
        if len(set(device_ips)) != len(device_ips) or not device_ips:
            raise ValueError("device addresses must be distinct and at least one")
        self.device_ips = list(device_ips)
        self._holders = {}
        self._procs = []
        self._started = []

    # --- lifecycle -------------------------------------------------------------------------------------------
    def __enter__(self):
        try:
            self.open()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def open(self):
        for side in ("ctl", "dev"):
            try:
                self._holders[side] = subprocess.Popen(
                    ["sleep", "infinity"],
                    preexec_fn=_child_preexec(os.getpid(), new_netns=True),
                    stdin=subprocess.DEVNULL,
                    start_new_session=True,
                )
            except subprocess.SubprocessError as exc:
                raise NamespaceError("cannot create the %s namespace: %s" % (side, exc))
        dev_pid = self._holders["dev"].pid
        self._ip("ctl", ["link", "add", CTL_VETH, "type", "veth", "peer", "name", DEV_VETH])
        self._ip("ctl", ["link", "set", DEV_VETH, "netns", str(dev_pid)])
        ctl_net = self._subnet(self.ctl_ip)
        dev_nets = sorted({self._subnet(ip) for ip in self.device_ips})
        self._ip_batch("ctl", self._side_setup(CTL_VETH, [self.ctl_ip], [n for n in dev_nets if n != ctl_net]))
        self._ip_batch("dev", self._side_setup(DEV_VETH, self.device_ips, [ctl_net] if ctl_net not in dev_nets else []))
        if len(self.device_ips) > self.STATIC_NEIGHBOURS_FROM:
            self._add_static_neighbours()
        self._wait_carrier()

    def close(self):
        """Ends every program started here (TERM, then KILL), then the namespace holders."""
        for proc in reversed(self._procs):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except OSError:
                    pass
        deadline = time.monotonic() + 3
        for proc in reversed(self._procs):
            try:
                proc.wait(max(0.0, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except OSError:
                    pass
                proc.wait()
        for proc in self._procs:
            for pipe in (proc.stdin, proc.stdout, proc.stderr):
                if pipe is not None:
                    try:
                        pipe.close()
                    except OSError:
                        pass
        for holder in self._holders.values():
            if holder.poll() is None:
                holder.kill()
            holder.wait()
        self._procs = []
        self._holders = {}

    # --- running programs inside ---------------------------------------------------------------------------
    def netns_path(self, side):
        return "/proc/%d/ns/net" % self._holders[side].pid

    def popen(self, side, argv, **kwargs):
        """Starts argv in the namespace of side ("ctl" or "dev") in its own process group."""
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        proc = subprocess.Popen(
            [str(a) for a in argv],
            preexec_fn=_child_preexec(os.getpid(), netns_path=self.netns_path(side)),
            start_new_session=True,
            **kwargs,
        )
        self._procs.append(proc)
        self._started.append(proc.pid)
        return proc

    def run(self, side, argv, timeout=30, input_bytes=None):
        """Runs argv to its end in side's namespace; returns a CompletedProcess with bytes stdout/stderr."""
        proc = self.popen(side, argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            out, err = proc.communicate(input_bytes, timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            out, err = proc.communicate()
            raise NamespaceError(
                "%s timed out after %ss; stderr: %s" % (argv[0], timeout, err.decode(errors="replace")))
        return subprocess.CompletedProcess(argv, proc.returncode, out, err)

    def all_pids(self):
        """Every process id this net started, holders included (for leftover checks)."""
        return [h.pid for h in self._holders.values()] + list(self._started)

    def namespace_ids(self):
        """The inode names ("net:[...]") of both namespaces."""
        return {side: os.readlink(self.netns_path(side)) for side in self._holders}

    def addresses(self, side):
        """The IPv4 addresses configured in side's namespace, per interface name."""
        res = self._ip(side, ["-j", "-4", "addr", "show"])
        out = {}
        for link in json.loads(res.stdout or b"[]"):
            out[link["ifname"]] = [a["local"] for a in link.get("addr_info", []) if a.get("family") == "inet"]
        return out

    # --- helpers ---------------------------------------------------------------------------------------------
    @staticmethod
    def _host_addresses(first, count):
        a = int.from_bytes(socket.inet_aton(first), "big")
        out = []
        while len(out) < count:
            if a & 0xFF not in (0, 0xFF):
                out.append(socket.inet_ntoa(a.to_bytes(4, "big")))
            a += 1
        return out

    def _subnet(self, ip):
        a = int.from_bytes(socket.inet_aton(ip), "big")
        mask = (0xFFFFFFFF << (32 - self.prefix_len)) & 0xFFFFFFFF
        return "%s/%d" % (socket.inet_ntoa((a & mask).to_bytes(4, "big")), self.prefix_len)

    def _side_setup(self, veth, ips, other_nets):
        cmds = ["link set lo up"]
        cmds += ["addr add %s/%d dev %s" % (ip, self.prefix_len, veth) for ip in ips]
        cmds += ["link set %s up" % veth]
        cmds += ["route add %s dev %s" % (net, veth) for net in other_nets]
        cmds += [
            # A socket bound to 0.0.0.0 cannot send to the limited broadcast address without a route for it.
            "route add 255.255.255.255/32 dev %s" % veth,
            "route add 224.0.0.0/4 dev %s" % veth,
        ]
        return cmds

    def _add_static_neighbours(self):
        mac = json.loads(self._ip("dev", ["-j", "link", "show", DEV_VETH]).stdout)[0]["address"]
        self._ip_batch("ctl", ["neigh replace %s lladdr %s dev %s nud permanent" % (ip, mac, CTL_VETH)
                               for ip in self.device_ips])

    def _ip(self, side, args):
        proc = subprocess.run(
            ["ip"] + args,
            preexec_fn=_child_preexec(os.getpid(), netns_path=self.netns_path(side)),
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            timeout=10,
        )
        if proc.returncode != 0:
            raise NamespaceError("ip %s (%s side) failed: %s" % (" ".join(args), side, proc.stderr.decode().strip()))
        return proc

    def _ip_batch(self, side, cmds):
        proc = subprocess.run(
            ["ip", "-batch", "-"],
            input=("\n".join(cmds) + "\n").encode(),
            preexec_fn=_child_preexec(os.getpid(), netns_path=self.netns_path(side)),
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            timeout=10,
        )
        if proc.returncode != 0:
            raise NamespaceError("ip -batch (%s side) failed: %s" % (side, proc.stderr.decode().strip()))

    def _wait_carrier(self, timeout=5.0):
        deadline = time.monotonic() + timeout
        while True:
            ready = True
            for side, veth in (("ctl", CTL_VETH), ("dev", DEV_VETH)):
                link = json.loads(self._ip(side, ["-j", "link", "show", veth]).stdout)[0]
                ready = ready and "LOWER_UP" in link.get("flags", [])
            if ready:
                return
            if time.monotonic() > deadline:
                raise NamespaceError("the veth pair did not come up within %.0f s" % timeout)
            time.sleep(0.02)


def pids_alive(pids):
    return [pid for pid in pids if _pid_alive(pid)]


def processes_in_namespaces(ns_ids):
    """Ids of processes whose network namespace is one of ns_ids (values of SimNet.namespace_ids())."""
    wanted = set(ns_ids)
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.readlink("/proc/%s/ns/net" % entry) in wanted and _pid_alive(int(entry)):
                found.append(int(entry))
        except OSError:
            continue
    return found
