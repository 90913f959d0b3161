package org.vornicw.maven;

import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.UUID;
import java.util.jar.Attributes;
import java.util.jar.JarFile;
import java.util.jar.Manifest;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

import org.apache.maven.artifact.Artifact;
import org.apache.maven.model.Plugin;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;
import org.apache.maven.project.MavenProject;
import org.codehaus.plexus.util.xml.Xpp3Dom;

/**
 * Writes the application folder (and the zip when asked) under target/: a project file made from the
 * configuration and the POM, built by the packer this plugin carries.
 */
@Mojo(name = "package", defaultPhase = LifecyclePhase.PACKAGE, requiresDependencyResolution = ResolutionScope.RUNTIME,
      threadSafe = true)
public class PackageMojo extends AbstractMojo {
    @Parameter(defaultValue = "${project}", readonly = true, required = true)
    private MavenProject project;

    /** An existing project file to build as it is; the keys below then override nothing. */
    @Parameter private File projectFile;
    @Parameter(property = "vornicw.skip", defaultValue = "false") private boolean skip;

    // [Package], one to one with the project file's keys.
    @Parameter private String name;
    @Parameter private String launchers;
    /** Console launchers (vornicwc.exe) for programs run from a console or a script. */
    @Parameter(defaultValue = "false") private boolean console;
    @Parameter private List<String> jars;
    @Parameter private String jarFolder;
    @Parameter private String icon;
    @Parameter private String strings;
    @Parameter private String splashScreen;
    @Parameter private String version;
    @Parameter private String company;
    @Parameter private String copyright;
    @Parameter private String downloadPage;
    @Parameter private String zip;
    // The Windows Installer package beside the zip: Installer=msi and the keys that go with it.
    @Parameter private String installer;
    @Parameter private String installScope;
    @Parameter private String shortcut;
    @Parameter(defaultValue = "false") private boolean desktopShortcut;
    /** One extension each, as {@code .demo=Demo Document} or {@code .demo=Demo Document|icons/demo.ico}. */
    @Parameter private List<String> fileTypes;
    @Parameter private String linkSchemes;
    @Parameter(defaultValue = "false") private boolean removeUserSettings;
    // The launcher's settings most projects set.
    @Parameter private String productName;
    @Parameter private String upgradeCode;
    @Parameter private String mainClass;
    @Parameter private String minimumVersion;
    @Parameter private String maximumVersion;
    @Parameter private String virtualMachineParameters;
    /** Signs each launcher: the [Signing] keys in camel case (Signing.java). */
    @Parameter private Signing signing;

    @Override
    public void execute() throws MojoExecutionException, MojoFailureException {
        if (skip) { getLog().info("vornicw: skipped"); return; }
        File work = new File(project.getBuild().getDirectory(), "vornicw");
        File tools = new File(work, "tools");
        File packer = extractTools(tools);
        File file = projectFile;
        if (file == null) {
            file = new File(work, "app.vornic");
            writeIfChanged(file, projectText().getBytes(StandardCharsets.UTF_8));
        }
        List<String> command = new ArrayList<>();
        command.add(packer.getPath()); command.add("build"); command.add(file.getPath());
        command.add("--stubs"); command.add(tools.getPath());
        if (projectFile != null) {
            command.add("--out"); command.add(new File(project.getBuild().getDirectory(), appName()).getPath());
        }
        run(command);
    }

    private String appName() {
        if (name != null) return name;
        String n = project.getName() != null ? project.getName() : project.getArtifactId();
        return n.replaceAll("[\\\\/:*?\"<>|]", "");
    }

    private String projectText() throws MojoFailureException, MojoExecutionException {
        StringBuilder s = new StringBuilder("; Written by vornicw-maven-plugin from the POM and its configuration.\n[Package]\n");
        key(s, "Name", appName());
        key(s, "Launchers", launchers);
        if (console) key(s, "Console", "Yes");
        // The packer splits Jars on ';'.
        key(s, "Jars", String.join(";", jars != null ? jars : dependencyJars()));
        key(s, "Jar Folder", jarFolder);
        key(s, "Icon", icon);
        key(s, "Strings", strings);
        key(s, "Splash Screen", splashScreen);
        key(s, "Version", version != null ? version : fourNumbers(project.getVersion()));
        key(s, "Company", company);
        key(s, "Copyright", copyright);
        key(s, "Download Page", downloadPage);
        key(s, "Output Folder", new File(project.getBuild().getDirectory(), appName()).getPath());
        if (zip != null) key(s, "Zip", new File(project.getBuild().getDirectory(), zip).getPath());
        key(s, "Installer", installer);
        key(s, "Install Scope", installScope);
        key(s, "Shortcut", shortcut);
        if (desktopShortcut) key(s, "Desktop Shortcut", "Yes");
        // The packer splits File Types on ';'.
        if (fileTypes != null) key(s, "File Types", String.join(";", fileTypes));
        key(s, "Link Schemes", linkSchemes);
        if (removeUserSettings) key(s, "Remove User Settings", "Yes");
        s.append("\n[Product Information]\n");
        key(s, "Product Name", productName != null ? productName : appName());
        key(s, "Upgrade Code", upgradeCode != null ? upgradeCode : projectUpgradeCode());
        s.append("\n[Java Runtime Environment]\n");
        key(s, "Main Class", settledMainClass());
        key(s, "Minimum Version", minimumVersion);
        key(s, "Maximum Version", maximumVersion);
        key(s, "Virtual Machine Parameters", virtualMachineParameters);
        if (signing != null) s.append(signing.section(project.getBasedir()));
        return s.toString();
    }

    /**
     * The project's jar first, then its runtime dependencies in Maven's class path order; pom-only
     * dependencies have no jar. Jars that would share one name in the jar folder (the same file name
     * under two groupIds; Windows does not tell case apart) ship as groupId-fileName instead, staged
     * under target/vornicw/jars, and so does a path the packer's ';' would split.
     */
    private List<String> dependencyJars() throws MojoFailureException, MojoExecutionException {
        File own = project.getArtifact().getFile();
        if (own == null) throw new MojoFailureException("vornicw: the project's jar is not built yet: run the goal in the package phase");
        List<Artifact> shipped = new ArrayList<>();
        shipped.add(project.getArtifact());
        for (Artifact a : project.getArtifacts())
            if (a.getFile() != null && a.getArtifactHandler().isAddedToClasspath()) shipped.add(a);
        Map<String, Integer> uses = new HashMap<>();
        for (Artifact a : shipped) uses.merge(lower(a.getFile().getName()), 1, Integer::sum);

        File staging = new File(new File(project.getBuild().getDirectory(), "vornicw"), "jars");
        Map<String, Artifact> names = new HashMap<>();
        Set<String> staged = new HashSet<>();
        List<String> paths = new ArrayList<>();
        for (Artifact a : shipped) {
            File file = a.getFile();
            boolean clash = uses.get(lower(file.getName())) > 1;
            String name = (clash ? a.getGroupId() + "-" + file.getName() : file.getName()).replace(';', '_');
            Artifact other = names.put(lower(name), a);
            if (other != null)
                throw new MojoFailureException("vornicw: " + a + " and " + other + " would both ship as " + name
                                               + ": exclude one of them, or list the jars to ship in <jars>");
            if (!clash && !file.getPath().contains(";")) { paths.add(file.getPath()); continue; }
            if (file.isDirectory())
                throw new MojoFailureException("vornicw: the class folder " + file + " of " + a
                                               + " cannot ship under another name: package it as a jar, or list what to ship in <jars>");
            File copy = new File(staging, name);
            try {
                writeIfChanged(copy, Files.readAllBytes(file.toPath()));
            } catch (IOException e) {
                throw new MojoExecutionException("vornicw: cannot read " + file + ": " + e.getMessage(), e);
            }
            staged.add(name);
            paths.add(copy.getPath());
        }
        // A jar staged by an earlier build that this one does not ship would only confuse whoever looks.
        File[] previous = staging.listFiles();
        if (previous != null)
            for (File f : previous)
                if (!staged.contains(f.getName())) f.delete();
        return paths;
    }

    private static String lower(String text) { return text.toLowerCase(Locale.ROOT); }

    /**
     * The main class the configuration or the jar plugin names. Without either, the packer would take the
     * Main-Class of the first jar's manifest; when that is the project's jar and it has none, say so here,
     * in the POM's terms, rather than let the packer ask for a key of a project file the user never wrote.
     */
    private String settledMainClass() throws MojoFailureException {
        if (mainClass != null && !mainClass.trim().isEmpty()) return mainClass;
        String configured = manifestMainClass();
        if (configured != null && !configured.trim().isEmpty()) return configured;
        File own = project.getArtifact().getFile();
        if (jars != null || own == null || !own.isFile()) return null;
        String fromJar = null;
        try (JarFile jar = new JarFile(own)) {
            Manifest manifest = jar.getManifest();
            if (manifest != null) fromJar = manifest.getMainAttributes().getValue(Attributes.Name.MAIN_CLASS);
        } catch (IOException e) {
            return null;  // the packer reads it and reports what is wrong with it
        }
        if (fromJar == null || fromJar.trim().isEmpty())
            throw new MojoFailureException("vornicw: no main class: set <mainClass> in the configuration of vornicw-maven-plugin,"
                                           + " or in maven-jar-plugin's <archive><manifest> (" + own.getName()
                                           + "'s manifest names no Main-Class)");
        return null;
    }

    /**
     * The packer would derive a missing Upgrade Code from the project file, which names paths in this
     * checkout: the product would change identity with the folder it is built in. The POM's coordinates
     * are the product's identity across checkouts, machines and versions.
     */
    private String projectUpgradeCode() {
        String seed = "vornicw upgrade code\n" + project.getGroupId() + ":" + project.getArtifactId();
        return "{" + UUID.nameUUIDFromBytes(seed.getBytes(StandardCharsets.UTF_8)).toString().toUpperCase(Locale.ROOT) + "}";
    }

    private static void key(StringBuilder s, String key, String value) {
        if (value != null && !value.isEmpty()) s.append(key).append('=').append(value).append('\n');
    }

    /** "1.2.3-SNAPSHOT" becomes "1.2.3.0": the numbers Windows' version resource holds. */
    static String fourNumbers(String version) {
        String[] parts = (version == null ? "" : version).split("[^0-9]+");
        StringBuilder out = new StringBuilder();
        int count = 0;
        for (String p : parts) {
            if (p.isEmpty() || count == 4) continue;
            if (count++ > 0) out.append('.');
            out.append(Long.toString(Math.min(Long.parseLong(p.length() > 9 ? "65535" : p), 65535)));
        }
        while (count++ < 4) out.append(out.length() == 0 ? "0" : ".0");
        return out.toString();
    }

    private String manifestMainClass() {
        Plugin jar = project.getPlugin("org.apache.maven.plugins:maven-jar-plugin");
        if (jar == null || !(jar.getConfiguration() instanceof Xpp3Dom)) return null;
        Xpp3Dom node = (Xpp3Dom) jar.getConfiguration();
        for (String child : new String[] {"archive", "manifest", "mainClass"}) {
            node = node.getChild(child);
            if (node == null) return null;
        }
        return node.getValue();
    }

    private File extractTools(File tools) throws MojoExecutionException, MojoFailureException {
        String os = System.getProperty("os.name", "").toLowerCase(Locale.ROOT);
        String arch = System.getProperty("os.arch", "").toLowerCase(Locale.ROOT);
        boolean x64 = arch.equals("amd64") || arch.equals("x86_64");
        String packer;
        if (os.startsWith("linux") && x64) packer = "vornicpack";
        else if (os.startsWith("windows") && x64) packer = "vornicpack.exe";
        else throw new MojoFailureException("vornicw: the packer runs on Linux x86_64 and Windows x64 build machines, not on "
                                            + System.getProperty("os.name") + " " + arch);
        String[] files = {packer, "x64/vornicw.exe", "x86/vornicw.exe", "x64/vornicwc.exe", "x86/vornicwc.exe"};
        for (String f : files) {
            try (InputStream in = getClass().getResourceAsStream("/vornicw/" + f)) {
                if (in == null) {
                    if (f.equals(packer)) throw new MojoExecutionException("vornicw: this plugin was built without " + f);
                    continue;  // a stub this build did not make
                }
                File out = new File(tools, f);
                byte[] bytes = readAll(in);
                writeIfChanged(out, bytes);
                if (f.equals(packer)) out.setExecutable(true);
            } catch (IOException e) {
                throw new MojoExecutionException("vornicw: cannot unpack " + f + ": " + e.getMessage(), e);
            }
        }
        return new File(tools, packer);
    }

    private static byte[] readAll(InputStream in) throws IOException {
        java.io.ByteArrayOutputStream out = new java.io.ByteArrayOutputStream();
        byte[] buffer = new byte[65536];
        for (int n; (n = in.read(buffer)) > 0;) out.write(buffer, 0, n);
        return out.toByteArray();
    }

    // Unchanged inputs leave every file as it was, time stamps included.
    private static void writeIfChanged(File file, byte[] bytes) throws MojoExecutionException {
        try {
            if (file.isFile() && java.util.Arrays.equals(Files.readAllBytes(file.toPath()), bytes)) return;
            file.getParentFile().mkdirs();
            File temp = new File(file.getPath() + ".tmp");
            Files.write(temp.toPath(), bytes);
            Files.move(temp.toPath(), file.toPath(), StandardCopyOption.REPLACE_EXISTING);
        } catch (IOException e) {
            throw new MojoExecutionException("vornicw: cannot write " + file + ": " + e.getMessage(), e);
        }
    }

    private void run(List<String> command) throws MojoExecutionException, MojoFailureException {
        getLog().debug("vornicw: " + String.join(" ", command));
        String last = "";
        int status;
        try {
            Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
            try (BufferedReader out = new BufferedReader(new InputStreamReader(process.getInputStream(), StandardCharsets.UTF_8))) {
                for (String line; (line = out.readLine()) != null;) {
                    if (line.trim().isEmpty()) continue;
                    getLog().info(line);
                    last = line;
                }
            }
            status = process.waitFor();
        } catch (IOException e) {
            throw new MojoExecutionException("vornicw: cannot run " + command.get(0) + ": " + e.getMessage(), e);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new MojoExecutionException("vornicw: interrupted", e);
        }
        if (status != 0) {
            if (last.isEmpty()) throw new MojoFailureException("vornicw: the packer failed (" + status + ")");
            throw new MojoFailureException(projectFile == null ? inPomTerms(last) : last);
        }
    }

    private static final Map<String, String> PARAMETERS = new LinkedHashMap<>();
    static {
        PARAMETERS.put("Main Class", "mainClass");
        PARAMETERS.put("Minimum Version", "minimumVersion");
        PARAMETERS.put("Maximum Version", "maximumVersion");
        PARAMETERS.put("Virtual Machine Parameters", "virtualMachineParameters");
        PARAMETERS.put("Product Name", "productName");
        PARAMETERS.put("Upgrade Code", "upgradeCode");
    }
    private static final Pattern QUOTED_KEY = Pattern.compile("\"([A-Za-z ]+)\"( in \\[[^\\]]*\\])?");

    /**
     * The packer's message names the keys of the project file this plugin wrote, which nobody edits:
     * name the configuration's parameters instead ("Main Class" in [Java Runtime Environment] is
     * <mainClass>, Jars in [Package] is <jars>).
     */
    static String inPomTerms(String message) {
        Matcher m = QUOTED_KEY.matcher(message.replace("Jars in [Package]", "<jars>"));
        StringBuffer out = new StringBuffer();
        while (m.find()) {
            String parameter = PARAMETERS.get(m.group(1));
            m.appendReplacement(out, Matcher.quoteReplacement(parameter != null ? "<" + parameter + ">" : m.group()));
        }
        m.appendTail(out);
        return out.toString();
    }
}
