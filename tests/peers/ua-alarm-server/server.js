#!/usr/bin/env node
// Scripted OPC UA alarm server that the UA client's integration tests run against.
//
// Listens on 127.0.0.1 only, on a free port picked at start, security None, anonymous users. When ready it
// prints one JSON line to stdout and nothing else goes there:
//   {"endpoint":"opc.tcp://127.0.0.1:PORT/VelmaricAlarms","control":CPORT}
// Logging goes to stderr (set VELMARIC_PEER_TRACE=1 to log every event the Server object emits).
//
// Control port (127.0.0.1:CPORT), one command per line, one reply line each ("ok ..." / "error ..."):
//   script    plays the sequence below; replies "ok script" once every step has been raised
//   burst N   raises N events on the "BurstAlarm" condition of "Mixer1", messages "Burst 1".."Burst N",
//             severity 300, active and retained; replies "ok burst N" once all are raised
//   flood N   the same as burst with messages "Flood 1".."Flood N", raised 50 at a time with the event loop
//             let go in between, so that the server publishes while it raises; replies when all are raised
//   stall S   blocks the whole process for S seconds (no UA traffic either), then replies "ok stall S"
//   exit      ends the process at once, like a killed server (no reply)
//   quit      replies "ok quit", then shuts the server down in order and exits
//   anything else: "error unknown command"
//
// The scripted sequence, ~100 ms apart so each step is its own event. Each step raises exactly one event
// that a subscription on the Server object receives: the tank's of type AlarmConditionType (i=2915), the
// pump's of the server's own PumpFaultAlarmType (namespace 1, a subtype of AlarmConditionType), with:
//   step  SourceName  ConditionName  Message         Severity  ActiveState/Id  AckedState/Id  Retain
//   1     Tank1       TankLevel      "Level high"    700       true            false          true
//   2     Tank1       TankLevel      "Level high"    700       true            true           false
//   3     Tank1       TankLevel      "Level normal"  700       false           true           false
//   4     Pump1       PumpFault      "Pump fault"    900       true            false          true
// Step 2 is the acknowledgement with comment "seen"; a condition without ConfirmedState drops Retain when
// acknowledged, so it is false although still active. It also raises an AuditConditionAcknowledgeEventType
// (i=8944, SourceName "TankLevel") inside the server, but audit events only reach sessions with the
// SecurityAdmin role, so an anonymous subscription never sees it. Step 4 stays active, so a later
// ConditionRefresh returns it (between RefreshStart i=2787 and RefreshEnd i=2788, with the same EventId).
// Playing it again first puts both conditions back to inactive, acked, not retained without raising any
// event, so each run emits the same four events.
//
// Stops by itself after --lifetime seconds (default 300) and when the parent process goes away.
"use strict";

const fs = require("fs");
const net = require("net");
const os = require("os");
const path = require("path");
const util = require("util");

// node-opcua and its dependencies write diagnostics with console.*; stdout carries only the ready line.
for (const level of ["log", "info", "warn", "debug", "error", "trace"]) {
  console[level] = (...args) => process.stderr.write(util.format(...args) + "\n");
}

const {
  OPCUAServer,
  OPCUACertificateManager,
  SecurityPolicy,
  MessageSecurityMode,
  DataType,
  nodesets,
  constructEventFilter,
  extractEventFields,
  SessionContext,
} = require("node-opcua");

const STEP_MS = 100;
const RESOURCE_PATH = "/VelmaricAlarms";

function parseArgs(argv) {
  const options = { lifetime: 300 };
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === "--lifetime" && i + 1 < argv.length) options.lifetime = Number(argv[++i]);
    else if (argv[i].startsWith("--lifetime=")) options.lifetime = Number(argv[i].slice(11));
  }
  if (!(options.lifetime > 0)) options.lifetime = 300;
  return options;
}

const log = (...args) => process.stderr.write("ua-alarm-server: " + util.format(...args) + "\n");
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The UA server has to be started on a fixed port, so learn a free one from the kernel first; the gap
// between closing the probe and the server's bind is covered by retrying.
function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.unref();
    probe.on("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

let tempDir = null;
function removeTempDir() {
  if (!tempDir) return;
  try {
    fs.rmSync(tempDir, { recursive: true, force: true });
  } catch (err) {
    log("could not remove", tempDir, err.message);
  }
  tempDir = null;
}

async function startUaServer() {
  for (let attempt = 1; ; attempt++) {
    const port = await freePort();
    const pki = (name) => new OPCUACertificateManager({
      rootFolder: path.join(tempDir, name),
      automaticallyAcceptUnknownCertificate: true,
    });
    const server = new OPCUAServer({
      port,
      host: "127.0.0.1",
      hostname: "127.0.0.1",
      resourcePath: RESOURCE_PATH,
      nodeset_filename: [nodesets.standard],
      securityPolicies: [SecurityPolicy.None],
      securityModes: [MessageSecurityMode.None],
      allowAnonymous: true,
      serverCertificateManager: pki("server-pki"),
      userCertificateManager: pki("user-pki"),
      isAuditing: false,
      buildInfo: { productName: "Velmaric UA alarm test peer", buildNumber: "1" },
    });
    try {
      await server.initialize();
      await server.start();
      return { server, port };
    } catch (err) {
      try {
        await server.shutdown(0);
      } catch (_) {
        // it never got going
      }
      if (err && err.code === "EADDRINUSE" && attempt < 20) {
        log("port", port, "taken, trying another");
        continue;
      }
      throw err;
    }
  }
}

// Builds the three alarm sources. Each condition takes an input variable, as the alarm type requires one;
// we drive the state directly, so its value is never looked at.
function buildAlarms(server) {
  const addressSpace = server.engine.addressSpace;
  const namespace = addressSpace.getOwnNamespace();
  const serverObject = addressSpace.rootFolder.objects.server;
  addressSpace.installAlarmsAndConditionsService();

  // A type of the server's own, as plants have: the client must learn its name by browsing the type tree.
  const pumpFaultType = namespace.addEventType({
    browseName: "PumpFaultAlarmType",
    subtypeOf: "AlarmConditionType",
    isAbstract: false,
  });

  const makeAlarm = (sourceName, conditionName, type = "AlarmConditionType") => {
    const source = namespace.addObject({
      browseName: sourceName,
      organizedBy: addressSpace.rootFolder.objects,
      eventSourceOf: serverObject,
      eventNotifier: 1,
    });
    const input = namespace.addVariable({
      browseName: conditionName + "Input",
      componentOf: source,
      dataType: DataType.Double,
      value: { dataType: DataType.Double, value: 0 },
    });
    const alarm = namespace.instantiateAlarmCondition(type, {
      browseName: conditionName,
      conditionName,
      componentOf: source,
      conditionSource: source,
      inputNode: input,
    });
    // The library names the source by its qualified browse name ("1:Tank1"); a display name is what an
    // operator sees, so put the plain name back.
    alarm.setSourceName(sourceName);
    // Start quiet: inactive, acknowledged, not retained, nothing raised.
    quietReset(alarm);
    return alarm;
  };
  return {
    tank: makeAlarm("Tank1", "TankLevel"),
    pump: makeAlarm("Pump1", "PumpFault", pumpFaultType),
    burst: makeAlarm("Mixer1", "BurstAlarm"),
  };
}

function quietReset(alarm) {
  const branch = alarm.currentBranch();
  branch.setActiveState(false);
  branch.setAckedState(true);
  branch.setRetain(false);
}

function raise(alarm, { active, message, severity, retain }) {
  alarm.currentBranch().setActiveState(active);
  if (active) alarm.currentBranch().setAckedState(false);
  alarm.raiseNewCondition({ message, severity, retain });
}

async function playScript(alarms) {
  quietReset(alarms.tank);
  quietReset(alarms.pump);
  raise(alarms.tank, { active: true, message: "Level high", severity: 700, retain: true });
  await sleep(STEP_MS);
  alarms.tank.acknowledgeAndAutoConfirmBranch(alarms.tank.currentBranch(), "seen");
  await sleep(STEP_MS);
  raise(alarms.tank, { active: false, message: "Level normal", severity: 700, retain: false });
  await sleep(STEP_MS);
  raise(alarms.pump, { active: true, message: "Pump fault", severity: 900, retain: true });
}

function playBurst(alarms, count) {
  for (let i = 1; i <= count; i++) {
    raise(alarms.burst, { active: true, message: "Burst " + i, severity: 300, retain: true });
  }
}

// The same events as a burst, but raised a few at a time with the event loop let go in between, so the
// server publishes while it raises: a sustained flow rather than one queue emptied at the end.
async function playFlood(alarms, count, perTurn = 50) {
  for (let i = 1; i <= count; i++) {
    raise(alarms.burst, { active: true, message: "Flood " + i, severity: 300, retain: true });
    if (i % perTurn === 0) await new Promise((resolve) => setImmediate(resolve));
  }
}

// Blocks the event loop on purpose: the server must look hung, not merely slow.
function blockFor(seconds) {
  const shared = new Int32Array(new SharedArrayBuffer(4));
  Atomics.wait(shared, 0, 0, seconds * 1000);
}

function startControl(alarms, shutdown) {
  // Commands run one after another, so a "burst" sent right after "script" lands after it.
  let queue = Promise.resolve();
  const control = net.createServer((socket) => {
    socket.setNoDelay(true);
    socket.on("error", () => {});
    let pending = "";
    socket.on("data", (chunk) => {
      pending += chunk.toString("utf8");
      let newline;
      while ((newline = pending.indexOf("\n")) >= 0) {
        const line = pending.slice(0, newline).trim();
        pending = pending.slice(newline + 1);
        queue = queue.then(() => handle(line)).then(
          (reply) => reply !== null && !socket.destroyed && socket.write(reply + "\n"),
          (err) => !socket.destroyed && socket.write("error " + String(err && err.message).replace(/\n/g, " ") + "\n"));
      }
    });
  });

  async function handle(line) {
    const [command, ...args] = line.split(/\s+/);
    const number = (text) => (/^\d+$/.test(text || "") ? Number(text) : NaN);
    switch (command) {
      case "script":
        if (args.length) break;
        await playScript(alarms);
        return "ok script";
      case "burst": {
        const n = number(args[0]);
        if (args.length !== 1 || !(n >= 1 && n <= 100000)) return "error usage: burst N (1..100000)";
        playBurst(alarms, n);
        return "ok burst " + n;
      }
      case "flood": {
        const n = number(args[0]);
        if (args.length !== 1 || !(n >= 1 && n <= 1000000)) return "error usage: flood N (1..1000000)";
        await playFlood(alarms, n);
        return "ok flood " + n;
      }
      case "stall": {
        const s = number(args[0]);
        if (args.length !== 1 || !(s >= 0 && s <= 600)) return "error usage: stall S (0..600)";
        blockFor(s);
        return "ok stall " + s;
      }
      case "exit":
        log("exit requested");
        removeTempDir();
        process.exit(0);
        return null;
      case "quit":
        setImmediate(shutdown);
        return "ok quit";
      default:
        break;
    }
    return "error unknown command";
  }

  return new Promise((resolve, reject) => {
    control.on("error", reject);
    control.listen(0, "127.0.0.1", () => resolve(control));
  });
}

// Logs the fields our client selects for every event the Server object emits, to see what a step raised.
function traceEvents(server) {
  const names = ["EventType", "SourceName", "ConditionName", "Message", "Severity", "AckedState.Id",
                 "ActiveState.Id", "Retain"];
  const filter = constructEventFilter(names);
  server.engine.addressSpace.rootFolder.objects.server.on("event", (eventData) => {
    const values = extractEventFields(SessionContext.defaultContext, filter.selectClauses, eventData);
    const shown = values.map((v, i) => {
      const value = v && v.value !== null && v.value !== undefined && v.value.text !== undefined ? v.value.text : v.value;
      return names[i] + "=" + (value === null || value === undefined ? "null" : String(value));
    });
    log("event", shown.join(" "));
  });
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  tempDir = fs.mkdtempSync(path.join(os.tmpdir(), "velmaric-ua-peer-"));
  process.on("exit", removeTempDir);

  const startedAt = Date.now();
  const { server, port } = await startUaServer();
  const alarms = buildAlarms(server);

  if (process.env.VELMARIC_PEER_TRACE) traceEvents(server);

  let stopping = false;
  const shutdown = async () => {
    if (stopping) return;
    stopping = true;
    try {
      await server.shutdown(0);
    } catch (err) {
      log("shutdown:", err.message);
    }
    removeTempDir();
    process.exit(0);
  };

  const control = await startControl(alarms, shutdown);
  control.unref();

  const lifetime = setTimeout(() => {
    log("lifetime of", options.lifetime, "s over");
    shutdown();
  }, options.lifetime * 1000);
  lifetime.unref();
  // Nobody may be left to stop us (a killed test run); the parent's pid changes once it is gone.
  const parent = process.ppid;
  setInterval(() => {
    if (process.ppid !== parent) {
      log("parent went away");
      shutdown();
    }
  }, 500).unref();
  for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) process.on(signal, shutdown);

  const endpoint = "opc.tcp://127.0.0.1:" + port + RESOURCE_PATH;
  log("ready in", Date.now() - startedAt, "ms at", endpoint);
  process.stdout.write(JSON.stringify({ endpoint, control: control.address().port }) + "\n");
}

main().catch((err) => {
  log("failed:", err && err.stack ? err.stack : err);
  removeTempDir();
  process.exit(1);
});
